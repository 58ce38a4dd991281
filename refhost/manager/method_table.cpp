#include "refhost/manager/method_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "comrt/guid.h"

namespace refhost {
namespace {

constexpr std::array<MethodInfo, 9> kMethods{{
    {"api-5b1.1", "CAPI_5B1_1", "API Method 5B1.1", "Volacor.API_5B1_1",
     {0x56B62C92, 0xEC0D, 0x4665, {0xBD, 0x33, 0x34, 0x4E, 0xDA, 0x44, 0xA9, 0x66}}, false, false},
    {"api-5b1.2", "CAPI_5B1_2", "API Method 5B1.2", "Volacor.API_5B1_2",
     {0xC825E724, 0xA00D, 0x4ABE, {0x80, 0x19, 0xEF, 0xD1, 0x30, 0x42, 0xB3, 0xB4}}, false, false},
    // Shown to the user under the same name as API 5B1.1.
    {"orvan-api", "COrvan_API", "API Method 5B1.1", "Volacor.Orvan_API",
     {0xE01D4667, 0xD71B, 0x4E00, {0x83, 0x37, 0x64, 0x8D, 0x6E, 0x69, 0x4D, 0x19}}, false, false},
    {"d323-73", "CASTM_D323_73_79", "ASTM Method D323-73/79", "Volacor.ASTM_D323_73_79",
     {0x54956A09, 0x35CE, 0x468E, {0x88, 0x2A, 0xF4, 0x1A, 0xC5, 0xFC, 0x60, 0xFE}}, false, false},
    {"d323-82", "CASTM_D323_82", "ASTM Method D323-82", "Volacor.ASTM_D323_82",
     {0xA6EB1E69, 0x35C8, 0x462B, {0x9B, 0x73, 0x59, 0x8F, 0xD6, 0xD9, 0x3E, 0x9D}}, false, false},
    {"d4953-91", "CASTM_D4953_91", "ASTM Method D4953-91", "Volacor.ASTM_D4953_91",
     {0x5E153722, 0xDC95, 0x4914, {0x89, 0x68, 0x9B, 0xDF, 0x1D, 0x02, 0x2E, 0xB3}}, false, false},
    {"d5191-91", "CASTM_D5191_91", "ASTM Method D5191-91", "Volacor.ASTM_D5191_91",
     {0x37C4EEEC, 0x6564, 0x4504, {0xBA, 0xEB, 0x13, 0xC8, 0x91, 0x30, 0xA8, 0x60}}, false, false},
    {"d6377-16", "CASTM_D6377_16", "ASTM Method D6377-16", "Volacor.ASTM_D6377_16",
     {0x383A842D, 0x252E, 0x4AE7, {0xA8, 0xA6, 0xBB, 0x1D, 0xA6, 0xFA, 0xFE, 0x2D}}, true, false},
    // Shown to the user under the same name as ASTM D323-73/79.
    {"modified-astm", "CModifiedASTM", "ASTM Method D323-73/79", "Volacor.ModifiedASTM",
     {0x85E31F8C, 0xB0E9, 0x490A, {0x99, 0xF9, 0x2F, 0x7C, 0xCA, 0x42, 0x69, 0x8E}}, false, true},
}};

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const MethodInfo> Methods() { return kMethods; }

const MethodInfo* FindMethod(std::string_view key) {
    if (!key.empty() && key.front() == '{') {
        GUID id{};
        if (FAILED(comrt_StringToGuid(std::string(key).c_str(), &id))) return nullptr;
        return FindMethod(id);
    }
    std::string_view unversioned = key;
    if (SameText(key.substr(0, 8), "Volacor.") && key.size() > 2 && key.substr(key.size() - 2) == ".1")
        unversioned = key.substr(0, key.size() - 2);
    for (const MethodInfo& m : kMethods)
        if (SameText(key, m.shortName) || SameText(key, m.className) || SameText(unversioned, m.progId)) return &m;
    return nullptr;
}

const MethodInfo* FindMethod(const CLSID& classId) {
    for (const MethodInfo& m : kMethods)
        if (m.classId == classId) return &m;
    return nullptr;
}

}  // namespace refhost
