// Writes the registry file's text: a header, one [key] line per key in tree order (a
// key before its subkeys), its values, and a closing "end" line that lets a reader tell
// a whole file from one cut short.
#include "comrt/registry.h"
#include "registry_text.h"

namespace comrt::registry {
namespace {

void AppendQuoted(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20 || byte == 0x7f) {
                    out += "\\x";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xf];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendKey(std::string& out, const Key& key, const std::string& path) {
    out += '[' + path + "]\n";
    if (key.defaultValue()) {
        out += "@ = ";
        AppendQuoted(out, *key.defaultValue());
        out += '\n';
    }
    for (const NamedValue& value : key.values()) {
        AppendQuoted(out, value.name);
        out += " = ";
        AppendQuoted(out, value.data);
        out += '\n';
    }
    for (const auto& sub : key.subkeys()) AppendKey(out, *sub, path + '\\' + sub->name());
}

std::string Header() { return std::string(detail::kHeaderLine) + "\n"; }
std::string Footer() { return std::string(detail::kEndLine) + "\n"; }

}  // namespace

std::string FormatRegistryText(const Tree& tree) {
    std::string out = Header();
    for (const auto& root : tree.roots()) AppendKey(out, *root, root->name());
    return out + Footer();
}

std::string FormatRegistryText(const Tree& tree, const KeyPath& path) {
    const Key* key = tree.find(path);
    if (!key) return {};
    std::string out = Header();
    // The parents as empty sections, with the spelling the tree keeps.
    const Key* parent = tree.rootIfPresent(path.root);
    std::string text = parent->name();
    for (const std::string& name : path.names) {
        out += '[' + text + "]\n";
        parent = parent->subkey(name);
        text += '\\' + parent->name();
    }
    AppendKey(out, *key, text);
    return out + Footer();
}

}  // namespace comrt::registry
