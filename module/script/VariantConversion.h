// The boundary between script values (NPVariant) and the module's own: every
// read checks the variant's type first, and every text handed to the
// browser is a copy from the browser's allocator.
#ifndef SCRIPT_VARIANTCONVERSION_H
#define SCRIPT_VARIANTCONVERSION_H

#include <cstdint>
#include <memory>

#include "npruntime.h"

namespace script {

// Frees an NPN_MemAlloc block with NPN_MemFree.
struct BrowserFree {
  void operator()(char* block) const;
};
// A zero-terminated text in the browser's allocator, owned until release().
using BrowserText = std::unique_ptr<char, BrowserFree>;

// Copies `text` (which has no terminator of its own) into a zero-filled
// buffer of its length + 1. Null when the browser cannot allocate it.
BrowserText CopyToBrowserText(const NPString& text);

// A script number: Int32 as it is (Mozilla-family browsers pass whole
// numbers so), Double truncated toward zero and clamped. False, with `out`
// untouched, for every other type.
bool ReadInt32(const NPVariant& value, int32_t* out);

// Results handed back to script.
void SetInt32Result(int32_t value, NPVariant* result);
// A copy of `text` up to its first zero byte. False when the browser cannot
// allocate it; the result is then left untouched.
bool SetStringResult(const char* text, NPVariant* result);
// The object with one reference added for the caller.
void SetObjectResult(NPObject* object, NPVariant* result);

}  // namespace script

#endif  // SCRIPT_VARIANTCONVERSION_H
