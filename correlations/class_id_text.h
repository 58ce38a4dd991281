// Class ids as registry text for the correlation objects' identity strings.
#pragma once

#include <cstddef>

#include "comrt/types.h"

namespace volacor {

// Registry text of a class id plus its terminating zero: "{...}" is 38 characters.
inline constexpr size_t CLSID_STRING_SIZE = 39;

// Called when one of ClassIdToString's conditions fails, with the condition's text.
using AssertionHandler = void (*)(const char* condition, const char* file, int line);

// The default handler reports "Assertion failed: <condition>, file <file>, line <n>" on
// standard error and, in builds without NDEBUG, aborts as assert() does; in release
// builds it returns. Returns the handler it replaces; null restores the default.
AssertionHandler SetAssertionHandler(AssertionHandler handler) noexcept;

// Writes classId's registry text ("{56B62C92-EC0D-4665-BD33-344EDA44A966}") into buffer.
// Conditions: length >= CLSID_STRING_SIZE, and the conversion succeeds. When one fails
// the handler is told and the buffer gets an empty string (when it has room for one);
// nothing is ever written past length bytes.
void ClassIdToString(const GUID& classId, char* buffer, size_t length) noexcept;

}  // namespace volacor
