#include "refhost/streams/located_json.h"

#include <cstddef>
#include <iterator>
#include <optional>
#include <vector>

#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

using Json = nlohmann::ordered_json;

// Where the parser has got to in the text.
struct ReadPosition {
    int newlines = 0;
    char last = '\0';
};

// A character iterator that counts the newlines the parser reads through it; the SAX
// callbacks below come right after the token they report, so the count gives its line.
class CountingIterator {
 public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, ReadPosition* position) : at_(at), position_(position) {}

    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        if (position_) {
            if (*at_ == '\n') ++position_->newlines;
            position_->last = *at_;
        }
        ++at_;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

 private:
    const char* at_ = nullptr;
    ReadPosition* position_ = nullptr;
};

// Builds the document (keeping the order of keys) and records the line of every field.
class LocatingSax {
 public:
    LocatingSax(const std::string& source, int firstLine, const ReadPosition& position)
        : source_(source), firstLine_(firstLine), position_(position) {}

    LocatedJson Take() { return {std::move(root_), std::move(lines_)}; }
    const std::optional<StreamInputError>& Error() const { return error_; }

    bool null() { return Add(Json(nullptr), Line()); }
    bool boolean(bool value) { return Add(Json(value), Line()); }
    bool number_integer(Json::number_integer_t value) { return Add(Json(value), NumberLine()); }
    bool number_unsigned(Json::number_unsigned_t value) { return Add(Json(value), NumberLine()); }
    bool number_float(Json::number_float_t value, const Json::string_t&) { return Add(Json(value), NumberLine()); }
    bool string(Json::string_t& value) { return Add(Json(value), Line()); }
    bool binary(Json::binary_t& value) { return Add(Json(value), Line()); }

    bool start_object(std::size_t) { return Open(Json::object()); }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }

    bool key(Json::string_t& key) {
        Frame& frame = stack_.back();
        const std::string path = MemberPath(frame.path, key);
        if (frame.node->contains(key)) {
            error_.emplace(source_, path, Line(),
                           "\"" + key + "\" is written twice in the same object; give each key once.");
            return false;
        }
        frame.key = key;
        lines_[path] = Line();
        lastPath_ = path;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) {
        std::string what = ex.what();
        // "[json.exception.parse_error.101] parse error at line 2, column 3: syntax error ..."
        if (const auto colon = what.find(": "); colon != std::string::npos) what = what.substr(colon + 2);
        // The field read last: the error is at it or just after it.
        error_.emplace(source_, lastPath_, Line(), "the text is not valid JSON (" + what + ").");
        return false;
    }

 private:
    struct Frame {
        Json* node;
        std::string path;
        std::string key;  // objects: the key whose value comes next
    };

    int Line() const { return firstLine_ + position_.newlines; }
    // A number ends where the parser reads the character after it, perhaps a newline.
    int NumberLine() const { return Line() - (position_.last == '\n' ? 1 : 0); }

    // Places a value in the container being built; returns where it went.
    Json* Place(Json&& value, int line, std::string& path) {
        if (stack_.empty()) {
            root_ = std::move(value);
            path.clear();
            lines_.emplace(path, line);
            return &root_;
        }
        Frame& frame = stack_.back();
        if (frame.node->is_array()) {
            path = ItemPath(frame.path, frame.node->size());
            lines_[path] = line;
            frame.node->push_back(std::move(value));
            return &frame.node->back();
        }
        path = MemberPath(frame.path, frame.key);
        Json& slot = (*frame.node)[frame.key];
        slot = std::move(value);
        frame.key.clear();
        return &slot;
    }

    bool Add(Json&& value, int line) {
        Place(std::move(value), line, lastPath_);
        return true;
    }

    bool Open(Json&& container) {
        Json* node = Place(std::move(container), Line(), lastPath_);
        stack_.push_back({node, lastPath_, {}});
        return true;
    }

    bool Close() {
        stack_.pop_back();
        return true;
    }

    const std::string& source_;
    int firstLine_;
    const ReadPosition& position_;
    Json root_;
    std::map<std::string, int> lines_;
    std::vector<Frame> stack_;
    std::string lastPath_;
    std::optional<StreamInputError> error_;
};

}  // namespace

std::string MemberPath(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string ItemPath(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }

LocatedJson ParseLocatedJson(std::string_view text, const std::string& source, int firstLine) {
    ReadPosition position;
    LocatingSax sax(source, firstLine, position);
    const CountingIterator first(text.data(), &position);
    const CountingIterator last(text.data() + text.size(), nullptr);
    const bool parsed = Json::sax_parse(first, last, &sax);
    if (sax.Error()) throw *sax.Error();
    if (!parsed) throw StreamInputError(source, "", firstLine + position.newlines, "the text is not valid JSON.");
    return sax.Take();
}

}  // namespace refhost
