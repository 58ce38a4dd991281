// Reads the registry file's text (format in runtime/README.md). Every fault names the
// line; a file that lacks its closing "end" line was cut short and is refused whole.
#include <stdexcept>
#include <unordered_set>

#include "comrt/registry.h"
#include "registry_text.h"

namespace comrt::registry {
namespace {

class Parser {
public:
    Parser(std::string_view text, const std::string& source) : text_(text), source_(source) {}

    Tree Parse() {
        Tree tree;
        if (text_.empty()) return tree;  // a fresh file made by mktemp, say
        bool ended = false;
        Key* section = nullptr;
        bool sectionHasDefault = false;
        while (NextLine()) {
            if (line_ == 1) {
                if (current_ != detail::kHeaderLine)
                    Fail(std::string("not a registry file: the first line is not \"") + detail::kHeaderLine + "\"");
                continue;
            }
            if (ended) {
                if (!current_.empty()) Fail("text after the \"end\" line");
                continue;
            }
            if (current_.empty() || current_.front() == '#') continue;
            if (current_ == detail::kEndLine) {
                ended = true;
                continue;
            }
            if (current_.front() == '[') {
                if (current_.back() != ']') Fail("a key line must end with ']'");
                section = &OpenSection(tree, current_.substr(1, current_.size() - 2));
                sectionHasDefault = false;
                continue;
            }
            if (!section) Fail("a value before the first [key] line");
            ParseValueLine(*section, sectionHasDefault);
        }
        if (!ended) {
            line_ = lineCount_ + 1;
            Fail("the file ends before its \"end\" line (cut short?)");
        }
        return tree;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw RegistryError(source_, line_, message); }

    bool NextLine() {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            // The writer ends every line with a newline: a last line without one was cut.
            end = text_.size();
            missingNewline_ = true;
        }
        current_ = text_.substr(pos_, end - pos_);
        if (!current_.empty() && current_.back() == '\r') current_.remove_suffix(1);
        pos_ = end + 1;
        ++line_;
        lineCount_ = line_;
        if (missingNewline_ && !current_.empty()) Fail("the last line has no line end (cut short?)");
        return true;
    }

    Key& OpenSection(Tree& tree, std::string_view pathText) {
        KeyPath path;
        try {
            path = ParseKeyPath(pathText);
        } catch (const std::invalid_argument& error) {
            Fail(error.what());
        }
        // A parent may follow its children (it exists by then); a key written twice may not.
        std::string folded = path.text();
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!seenSections_.insert(std::move(folded)).second)
            Fail("the key \"" + path.text() + "\" is written twice");
        return tree.create(path);
    }

    // `@ = "data"` or `"name" = "data"`.
    void ParseValueLine(Key& key, bool& hasDefault) {
        size_t at = 0;
        std::optional<std::string> name;
        if (current_[at] == '@') {
            ++at;
        } else if (current_[at] == '"') {
            name = ReadQuoted(at);
        } else {
            Fail("expected [key], @ = \"data\" or \"name\" = \"data\"");
        }
        SkipSpaces(at);
        if (at >= current_.size() || current_[at] != '=') Fail("expected '=' after the value's name");
        ++at;
        SkipSpaces(at);
        if (at >= current_.size() || current_[at] != '"') Fail("expected the value's data in double quotes");
        std::string data = ReadQuoted(at);
        SkipSpaces(at);
        if (at != current_.size()) Fail("text after the value's data");
        if (!name) {
            if (hasDefault) Fail("the key's default value is written twice");
            hasDefault = true;
            key.setDefault(std::move(data));
        } else {
            if (key.value(*name)) Fail("the value \"" + *name + "\" is written twice");
            key.setValue(*name, std::move(data));
        }
    }

    void SkipSpaces(size_t& at) const {
        while (at < current_.size() && (current_[at] == ' ' || current_[at] == '\t')) ++at;
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // A double-quoted string starting at current_[at]; at ends after the closing quote.
    std::string ReadQuoted(size_t& at) const {
        std::string out;
        ++at;
        while (true) {
            if (at >= current_.size()) Fail("a quoted string is not closed on its line");
            const char c = current_[at++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') Fail("a control character inside a quoted string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= current_.size()) Fail("a quoted string is not closed on its line");
            const char e = current_[at++];
            switch (e) {
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'x': {
                    const int high = at < current_.size() ? HexDigit(current_[at]) : -1;
                    const int low = at + 1 < current_.size() ? HexDigit(current_[at + 1]) : -1;
                    if (high < 0 || low < 0) Fail("\\x must be followed by two hexadecimal digits");
                    out += static_cast<char>(high * 16 + low);
                    at += 2;
                    break;
                }
                default: Fail(std::string("unknown escape \\") + e);
            }
        }
    }

    std::string_view text_;
    const std::string& source_;
    size_t pos_ = 0;
    int line_ = 0;
    int lineCount_ = 0;
    bool missingNewline_ = false;
    std::string_view current_;
    std::unordered_set<std::string> seenSections_;
};

}  // namespace

Tree ParseRegistryText(std::string_view text, const std::string& source) { return Parser(text, source).Parse(); }

}  // namespace comrt::registry
