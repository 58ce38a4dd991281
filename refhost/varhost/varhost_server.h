// The reference host's variable server, libvarhost2.so (loaded by the library as
// "varhost2.dll"): variable sets, real variables and real vector variables. Both kinds of
// variable also answer IEnumeratedVariable (texts for a real's values, or for a vector's
// elements). Its export DllGetClassObject serves the classes below.
//
// Besides the component exports, the server has control exports for tests (counting
// calls, switching failures on). They do nothing until varhost_EnableTesting(1) is
// called, so a host pays only an untaken branch for them.
#pragma once

#include <cstdint>

#include "comrt/types.h"
#include "host/variables.h"

// CLSID_EnumeratedVariable {9248F41E-0CCD-4D63-96FE-1C072F09D43B}: a real variable made
// for its texts. The same class of object as CLSID_RealVariable gives.
inline constexpr CLSID CLSID_EnumeratedVariable = {
    0x9248F41E, 0x0CCD, 0x4D63, {0x96, 0xFE, 0x1C, 0x07, 0x2F, 0x09, 0xD4, 0x3B}};

extern "C" {
// Objects of the server alive now: variables, sets and class objects.
using varhost_LiveObjectsFn = int32_t (*)();
// Switches call counting and failure injection on (non-zero) or off; off at load.
using varhost_EnableTestingFn = void (*)(int32_t on);
// How many times an operation ("SetTaggedName", "Add", "CreateInstance", ...) was called
// since the last reset, while testing is on.
using varhost_CallCountFn = int32_t (*)(const char* operation);
// The int32 argument of the last call of an operation ("SetFlags", "SetEnumFlagA", ...).
using varhost_LastIntFn = int32_t (*)(const char* operation);
// Makes the operation fail with status once `successesFirst` further calls have
// succeeded; it keeps failing until reset. Needs testing on.
using varhost_FailOperationFn = void (*)(const char* operation, int32_t successesFirst, HRESULT status);
// Clears failures, call counts and last arguments.
using varhost_ResetFn = void (*)();
}
