// Display names (and enumeration texts) of host variables, read from the
// variable-definition document that the library carries as a resource.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/variables.h"

namespace volacor {

// Where the document lives in the library's own file.
inline constexpr const char kVariableDefinitionType[] = "#23";  // the platform's HTML resource type
inline constexpr uint32_t kVariableDefinitionId = 201;
inline constexpr uint16_t kVariableDefinitionLanguage = 1033;  // US English

// The document's text: the resource's bytes up to the first zero byte, never past its
// size. Empty when the resource is missing.
std::string_view VariableDefinitionText() noexcept;

// Applies the document's entry for taggedName to variable: a non-empty display name,
// then a non-empty tagged name, and for Type "Enum" (exact case) its "EnumValue" texts.
// False only without a variable or without an XML document object; anything wrong with
// the document leaves the variable unchanged and gives true.
bool LoadVariableDefinitionFromText(std::string_view document, const char* taggedName, IHostVariable* variable);

// The same with the library's own document.
bool LoadVariableDefinition(const char* taggedName, IHostVariable* variable);

}  // namespace volacor
