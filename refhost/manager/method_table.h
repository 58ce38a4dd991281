// The nine RVP methods the reference host knows: short name (for command lines and
// scripts), implementing class, display name, ProgID and class id. The host keeps its
// own table rather than linking the library's internals; a test holds it against what
// the created objects report.
#pragma once

#include <span>
#include <string_view>

#include "comrt/types.h"

namespace refhost {

struct MethodInfo {
    std::string_view shortName;    // "d6377-16": unique, lower case
    std::string_view className;    // "CASTM_D6377_16"
    std::string_view displayName;  // what get_Name reports ("ASTM Method D6377-16")
    std::string_view progId;       // version-independent ("Volacor.ASTM_D6377_16")
    CLSID classId;
    bool hasVlRatio;               // offers "VLRatioValue"
    bool feedOnly;                 // calculates the whole stream only
};

// All nine, in a fixed order (the API correlations first, then the laboratory methods).
std::span<const MethodInfo> Methods();

// By short name, class name, ProgID (with or without the version suffix ".1") or class
// id text in braces; case-insensitive. Null when none matches.
const MethodInfo* FindMethod(std::string_view key);
const MethodInfo* FindMethod(const CLSID& classId);

}  // namespace refhost
