// The registry's tree of keys and the key-path syntax.
#include <stdexcept>

#include "comrt/registry.h"

namespace comrt::registry {
namespace {

char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct RootName {
    const char* shortName;
    const char* longName;
};
constexpr RootName kRoots[] = {
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKLM", "HKEY_LOCAL_MACHINE"},
};

template <class Items, class Name>
auto FindByName(Items& items, std::string_view name, Name nameOf) noexcept {
    for (auto it = items.begin(); it != items.end(); ++it)
        if (NamesEqual(nameOf(*it), name)) return it;
    return items.end();
}

}  // namespace

RegistryError::RegistryError(std::string file, int line, const std::string& message)
    : std::runtime_error(line > 0 ? file + ", line " + std::to_string(line) + ": " + message
                                  : file + ": " + message),
      file_(std::move(file)),
      line_(line) {}

bool NamesEqual(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

Key::Key(const Key& other) : name_(other.name_), default_(other.default_), values_(other.values_) {
    subkeys_.reserve(other.subkeys_.size());
    for (const auto& sub : other.subkeys_) subkeys_.push_back(std::make_unique<Key>(*sub));
}

Key& Key::operator=(const Key& other) {
    if (this != &other) {
        Key copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const std::string* Key::value(std::string_view name) const noexcept {
    auto found = FindByName(values_, name, [](const NamedValue& v) -> const std::string& { return v.name; });
    return found == values_.end() ? nullptr : &found->data;
}

void Key::setValue(std::string_view name, std::string data) {
    auto found = FindByName(values_, name, [](const NamedValue& v) -> const std::string& { return v.name; });
    if (found != values_.end())
        found->data = std::move(data);
    else
        values_.push_back({std::string(name), std::move(data)});
}

bool Key::removeValue(std::string_view name) noexcept {
    auto found = FindByName(values_, name, [](const NamedValue& v) -> const std::string& { return v.name; });
    if (found == values_.end()) return false;
    values_.erase(found);
    return true;
}

Key* Key::subkey(std::string_view name) noexcept {
    auto found = FindByName(subkeys_, name, [](const std::unique_ptr<Key>& k) -> const std::string& {
        return k->name();
    });
    return found == subkeys_.end() ? nullptr : found->get();
}

const Key* Key::subkey(std::string_view name) const noexcept { return const_cast<Key*>(this)->subkey(name); }

Key& Key::openOrCreate(std::string_view name) {
    if (Key* existing = subkey(name)) return *existing;
    subkeys_.push_back(std::make_unique<Key>(std::string(name)));
    return *subkeys_.back();
}

bool Key::removeSubkey(std::string_view name) noexcept {
    auto found = FindByName(subkeys_, name, [](const std::unique_ptr<Key>& k) -> const std::string& {
        return k->name();
    });
    if (found == subkeys_.end()) return false;
    subkeys_.erase(found);
    return true;
}

std::string CanonicalRoot(std::string_view root) {
    for (const RootName& r : kRoots)
        if (NamesEqual(root, r.shortName) || NamesEqual(root, r.longName)) return r.shortName;
    return {};
}

std::string KeyPath::text() const {
    std::string out = root;
    for (const std::string& name : names) out += '\\' + name;
    return out;
}

KeyPath ParseKeyPath(std::string_view text) {
    KeyPath path;
    size_t start = 0;
    bool first = true;
    while (true) {
        const size_t end = text.find('\\', start);
        const std::string_view part = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        if (first) {
            path.root = CanonicalRoot(part);
            if (path.root.empty())
                throw std::invalid_argument("key \"" + std::string(text) +
                                            "\" does not start with HKCR, HKCU or HKLM");
            first = false;
        } else {
            if (part.empty())
                throw std::invalid_argument("key \"" + std::string(text) + "\" has an empty name in it");
            for (char c : part)
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                    throw std::invalid_argument("key \"" + std::string(text) + "\" holds a control character");
            // The platform's own limit; it also bounds the recursion over the tree.
            if (path.names.size() == kMaxKeyDepth)
                throw std::invalid_argument("key \"" + std::string(text.substr(0, 60)) + "...\" is nested deeper than " +
                                            std::to_string(kMaxKeyDepth) + " levels");
            path.names.emplace_back(part);
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return path;
}

Key& Tree::root(std::string_view canonicalRoot) { return roots_.openOrCreate(canonicalRoot); }

const Key* Tree::rootIfPresent(std::string_view canonicalRoot) const noexcept {
    return roots_.subkey(canonicalRoot);
}

const Key* Tree::find(const KeyPath& path) const noexcept { return const_cast<Tree*>(this)->find(path); }

Key* Tree::find(const KeyPath& path) noexcept {
    Key* key = roots_.subkey(path.root);
    for (const std::string& name : path.names) {
        if (!key) return nullptr;
        key = key->subkey(name);
    }
    return key;
}

Key& Tree::create(const KeyPath& path) {
    Key* key = &root(path.root);
    for (const std::string& name : path.names) key = &key->openOrCreate(name);
    return *key;
}

bool Tree::remove(const KeyPath& path) {
    if (path.names.empty()) return false;
    KeyPath parent = path;
    parent.names.pop_back();
    Key* owner = find(parent);
    return owner && owner->removeSubkey(path.names.back());
}

}  // namespace comrt::registry
