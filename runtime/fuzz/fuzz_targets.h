// What each fuzzer checks of one input. The libFuzzer drivers and the corpus replay test
// call the same functions; a broken property ends the process with abort().
#pragma once

#include <cstddef>
#include <cstdint>

namespace comrt::fuzz {

// The registry file parser: any input is parsed or refused with RegistryError; a parsed
// tree formats to a text that parses to the same text again.
void CheckRegistryText(const uint8_t* data, size_t size);
// The registrar: any input is refused with ScriptError or applied in both modes; the
// registry that results still formats and parses back.
void CheckScript(const uint8_t* data, size_t size);
// The type-library parser: parsed or refused with TypeLibError; a parsed library
// formats to a text that parses to the same text again.
void CheckTypeLibrary(const uint8_t* data, size_t size);

}  // namespace comrt::fuzz
