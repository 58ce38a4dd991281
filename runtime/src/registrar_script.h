// The parsed form of a registration script.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comrt::registrar::detail {

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };

struct ScriptValue {
    std::string name;
    std::string data;
};

struct ScriptKey {
    KeyFlag flag = KeyFlag::None;
    std::string name;
    std::optional<std::string> defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    std::string root;  // canonical: HKCR, HKCU, HKLM
    std::vector<ScriptKey> keys;
};

// Parses a script whose substitutions are already made. Throws ScriptError.
std::vector<ScriptRoot> ParseScript(std::string_view text);
// Replaces %MODULE% by the path with its single quotes doubled.
std::string SubstituteModule(std::string_view text, std::string_view modulePath);

}  // namespace comrt::registrar::detail
