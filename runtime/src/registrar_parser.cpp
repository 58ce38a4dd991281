// The registration-script parser. Tokens are separated by white space: a quoted token
// '...' (a doubled quote stands for one) may hold spaces, but not a line break; '{', '}'
// and '=' are tokens only when they stand alone, so "{56B62C92-...}" is a key name.
#include <memory>

#include "comrt/registrar.h"
#include "registrar_script.h"

namespace comrt::registrar {

ScriptError::ScriptError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

namespace detail {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
    int line = 0;
};

// Nesting deeper than any registry layout needs is refused, so a hostile script cannot
// exhaust the stack.
constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::vector<ScriptRoot> Parse() {
        std::vector<ScriptRoot> roots;
        while (Next()) {
            if (token_.quoted || IsPunctuation())
                Fail("expected a root key (HKCR, HKCU or HKLM), found " + Describe());
            ScriptRoot root;
            root.root = registry::CanonicalRoot(token_.text);
            if (root.root.empty()) Fail("unknown root key " + Describe() + " (HKCR, HKCU or HKLM)");
            Expect("{", "after the root key");
            ParseKeyList(root.keys, nullptr, 1);
            roots.push_back(std::move(root));
        }
        return roots;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw ScriptError(token_.line ? token_.line : line_, message); }

    std::string Describe() const {
        if (!haveToken_) return "the end of the script";
        return (token_.quoted ? "'" : "\"") + token_.text + (token_.quoted ? "'" : "\"");
    }

    bool IsPunctuation() const {
        return !token_.quoted && (token_.text == "{" || token_.text == "}" || token_.text == "=");
    }
    bool Is(std::string_view bare) const { return haveToken_ && !token_.quoted && token_.text == bare; }

    // Reads the next token; false at the end of the text.
    bool Next() {
        if (unread_) {
            unread_ = false;
            return haveToken_;
        }
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') ++line_;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v') break;
            ++pos_;
        }
        haveToken_ = pos_ < text_.size();
        token_ = Token{};
        token_.line = line_;
        if (!haveToken_) return false;
        if (text_[pos_] == '\'') {
            token_.quoted = true;
            ++pos_;
            while (true) {
                if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                    Fail("a quoted text is not closed on its line");
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        token_.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                token_.text += text_[pos_++];
            }
            return true;
        }
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') break;
            token_.text += c;
            ++pos_;
        }
        return true;
    }

    void Expect(std::string_view bare, const std::string& where) {
        if (!Next() || !Is(bare)) Fail("expected '" + std::string(bare) + "' " + where + ", found " + Describe());
    }

    // `= s 'text'`, the equals sign already read.
    std::string ParseStringData() {
        if (!Next() || token_.quoted) Fail("expected a value type after '=', found " + Describe());
        if (token_.text != "s" && token_.text != "S") {
            if (token_.text == "d" || token_.text == "b" || token_.text == "m" || token_.text == "D" ||
                token_.text == "B" || token_.text == "M")
                Fail("value type '" + token_.text + "' is not supported; only s (string) is");
            Fail("expected a value type (s) after '=', found " + Describe());
        }
        if (!Next() || !token_.quoted) Fail("expected the value's text in single quotes, found " + Describe());
        return token_.text;
    }

    std::string ParseName(const char* what) {
        if (!haveToken_ || IsPunctuation()) Fail(std::string("expected ") + what + ", found " + Describe());
        if (token_.text.empty()) Fail(std::string("an empty ") + what);
        if (token_.text.find('\\') != std::string::npos) Fail(std::string("a backslash in ") + what + " " + Describe());
        for (char c : token_.text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) Fail(std::string("a control character in ") + what);
        return token_.text;
    }

    // Keys up to and including the closing '}'. owner is null directly under a root.
    void ParseKeyList(std::vector<ScriptKey>& keys, ScriptKey* owner, int depth) {
        if (depth > kMaxDepth) Fail("keys nested more than " + std::to_string(kMaxDepth) + " deep");
        while (true) {
            if (!Next()) Fail("the script ends before a closing '}'");
            if (Is("}")) return;
            if (Is("val")) {
                if (!owner) Fail("a named value directly under a root key");
                ParseValue(*owner);
                continue;
            }
            ScriptKey key;
            if (!token_.quoted) {
                if (registry::NamesEqual(token_.text, "NoRemove")) key.flag = KeyFlag::NoRemove;
                else if (registry::NamesEqual(token_.text, "ForceRemove")) key.flag = KeyFlag::ForceRemove;
                else if (registry::NamesEqual(token_.text, "Delete")) key.flag = KeyFlag::Delete;
                if (key.flag != KeyFlag::None && !Next()) Fail("the script ends after " + FlagName(key.flag));
            }
            key.name = ParseName("a key name");
            // Optional default value, then an optional body.
            const bool more = Next();
            bool pushedBack = more;
            if (more && Is("=")) {
                key.defaultValue = ParseStringData();
                pushedBack = Next();
            }
            if (pushedBack && Is("{")) {
                ParseKeyList(key.subkeys, &key, depth + 1);
                keys.push_back(std::move(key));
                continue;
            }
            keys.push_back(std::move(key));
            if (!pushedBack) Fail("the script ends before a closing '}'");
            if (Is("}")) return;
            Unread();
        }
    }

    void ParseValue(ScriptKey& owner) {
        if (!Next()) Fail("the script ends after 'val'");
        std::string name = ParseName("a value name");
        Expect("=", "after the value name");
        std::string data = ParseStringData();
        for (const ScriptValue& existing : owner.values)
            if (registry::NamesEqual(existing.name, name)) Fail("the value '" + name + "' is given twice");
        owner.values.push_back({std::move(name), std::move(data)});
    }

    static std::string FlagName(KeyFlag flag) {
        switch (flag) {
            case KeyFlag::NoRemove: return "NoRemove";
            case KeyFlag::ForceRemove: return "ForceRemove";
            case KeyFlag::Delete: return "Delete";
            default: return "a key";
        }
    }

    // The token just read starts the next key: the next Next() gives it again.
    void Unread() { unread_ = true; }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    Token token_;
    bool haveToken_ = false;
    bool unread_ = false;
};

}  // namespace

std::vector<ScriptRoot> ParseScript(std::string_view text) { return Parser(text).Parse(); }

std::string SubstituteModule(std::string_view text, std::string_view modulePath) {
    if (modulePath.find_first_of("\r\n") != std::string_view::npos)
        throw std::invalid_argument("the module path holds a line break");
    static constexpr std::string_view kModule = "%MODULE%";
    const std::string replacement = DoubleQuotes(modulePath);
    std::string out;
    size_t start = 0;
    while (true) {
        const size_t found = text.find(kModule, start);
        if (found == std::string_view::npos) break;
        out.append(text.substr(start, found - start));
        out += replacement;
        start = found + kModule.size();
    }
    out.append(text.substr(start));
    return out;
}

}  // namespace detail

std::string DoubleQuotes(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

}  // namespace comrt::registrar
