// comrt reg get / set / delete / export.
#include <iostream>

#include "comrt/registry.h"
#include "commands.h"

namespace comrt::tool {
namespace {

bool ParseKey(const std::string& text, registry::KeyPath& path) {
    try {
        path = registry::ParseKeyPath(text);
        return true;
    } catch (const std::invalid_argument& error) {
        std::cerr << "comrt: " << error.what() << '\n';
        return false;
    }
}

}  // namespace

int RunRegGet(const std::string& keyText, const std::vector<std::string>& value) {
    registry::KeyPath path;
    if (!ParseKey(keyText, path)) return kUsage;
    try {
        const registry::Tree tree = registry::Load();
        const registry::Key* key = tree.find(path);
        if (!key) return kNotFound;
        if (value.empty()) {
            std::cout << key->defaultValue().value_or("") << '\n';
            return kOk;
        }
        const std::string* data = key->value(value.front());
        if (!data) return kNotFound;
        std::cout << *data << '\n';
        return kOk;
    } catch (const std::exception& error) {
        return ReportRegistryError(error, false);
    }
}

int RunRegSet(const std::string& keyText, const std::vector<std::string>& valueAndData) {
    registry::KeyPath path;
    if (!ParseKey(keyText, path)) return kUsage;
    try {
        registry::Update([&](registry::Tree& tree) {
            registry::Key& key = tree.create(path);
            if (valueAndData.size() == 1)
                key.setDefault(valueAndData[0]);
            else
                key.setValue(valueAndData[0], valueAndData[1]);
        });
        return kOk;
    } catch (const std::exception& error) {
        return ReportRegistryError(error, true);
    }
}

int RunRegDelete(const std::string& keyText) {
    registry::KeyPath path;
    if (!ParseKey(keyText, path)) return kUsage;
    if (path.names.empty()) {
        std::cerr << "comrt: a root key cannot be deleted\n";
        return kUsage;
    }
    try {
        bool removed = false;
        // Nothing is written when the key is absent.
        if (!registry::Load().find(path)) return kNotFound;
        registry::Update([&](registry::Tree& tree) { removed = tree.remove(path); });
        return removed ? kOk : kNotFound;
    } catch (const std::exception& error) {
        return ReportRegistryError(error, true);
    }
}

int RunRegExport(const std::vector<std::string>& key) {
    try {
        const registry::Tree tree = registry::Load();
        if (key.empty()) {
            std::cout << registry::FormatRegistryText(tree);
            return kOk;
        }
        registry::KeyPath path;
        if (!ParseKey(key.front(), path)) return kUsage;
        if (!tree.find(path)) return kNotFound;
        std::cout << registry::FormatRegistryText(tree, path);
        return kOk;
    } catch (const std::exception& error) {
        return ReportRegistryError(error, false);
    }
}

}  // namespace comrt::tool
