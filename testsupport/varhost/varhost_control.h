// The test variable server (libvarhost2.so, opened by the library as "varhost2.dll"):
// real, vector and enumerated variables and variable sets, every slot working, with
// counters and failure switches for tests. Tests reach these functions through the
// library the loader already has (VarhostControl below), never by linking it, so the
// library and the test talk to the same copy.
#pragma once

#include <cstdint>

#include "comrt/types.h"

// CLSID_EnumeratedVariable {9248F41E-0CCD-4D63-96FE-1C072F09D43B}: this test server's
// own class of enumerated variable (answers IRealVariable and IEnumeratedVariable).
inline constexpr CLSID CLSID_EnumeratedVariable = {
    0x9248F41E, 0x0CCD, 0x4D63, {0x96, 0xFE, 0x1C, 0x07, 0x2F, 0x09, 0xD4, 0x3B}};

extern "C" {
// Objects of the server alive now: variables, sets and class objects.
using varhost_LiveObjectsFn = int32_t (*)();
// How many times an operation ("SetTaggedName", "Add", "CreateInstance", ...) was called
// since the last reset.
using varhost_CallCountFn = int32_t (*)(const char* operation);
// The int32 argument of the last call of an operation ("SetFlags", "SetEnumFlagA", ...).
using varhost_LastIntFn = int32_t (*)(const char* operation);
// Makes the operation fail with status once `successesFirst` further calls have
// succeeded; it keeps failing until reset.
using varhost_FailOperationFn = void (*)(const char* operation, int32_t successesFirst, HRESULT status);
// Clears failures, call counts and last arguments.
using varhost_ResetFn = void (*)();
}

namespace volacor::testsupport {

// The control functions of the copy of libvarhost2.so the process loads by the name
// "varhost2.dll". Every member is null when the server cannot be loaded.
struct VarhostControl {
    varhost_LiveObjectsFn LiveObjects = nullptr;
    varhost_CallCountFn CallCount = nullptr;
    varhost_LastIntFn LastInt = nullptr;
    varhost_FailOperationFn FailOperation = nullptr;
    varhost_ResetFn Reset = nullptr;

    bool Loaded() const { return LiveObjects && CallCount && LastInt && FailOperation && Reset; }
    static VarhostControl Load();
};

}  // namespace volacor::testsupport
