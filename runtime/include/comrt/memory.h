// Task memory and wide strings: memory that crosses a component boundary comes from
// and goes back to these functions, on both sides.
#pragma once

#include "comrt/types.h"

extern "C" {
// Allocates size bytes (size 0 gives a valid, unique block); null when out of memory.
void* CoTaskMemAlloc(size_t size);
// Resizes a block from CoTaskMemAlloc (null acts as alloc; size 0 keeps a valid block);
// on failure null, and the old block stays.
void* CoTaskMemRealloc(void* block, size_t size);
// Frees a block; null does nothing.
void CoTaskMemFree(void* block);

// A BSTR points at the first character; the uint32_t before it holds the length in
// bytes, and a zero OLECHAR follows the last character.
BSTR SysAllocString(const OLECHAR* text);                 // null text gives null
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t len); // null text: len zero chars;
                                                           // null when len*2 overflows uint32_t
void SysFreeString(BSTR text);                            // null does nothing
uint32_t SysStringLen(BSTR text);                         // characters; 0 for null
uint32_t SysStringByteLen(BSTR text);                     // bytes; 0 for null

// Task-memory blocks (BSTRs included) allocated and not yet freed in this process:
// tests read it before and after a call to prove that every block was freed.
int64_t comrt_TaskMemOutstanding(void);
}
