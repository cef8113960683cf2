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

// Releases an NPObject reference with NPN_ReleaseObject.
struct BrowserRelease {
  void operator()(NPObject* object) const;
};
// One reference on a browser object, released when it goes.
using BrowserObject = std::unique_ptr<NPObject, BrowserRelease>;

// A result variant the browser filled, released with
// NPN_ReleaseVariantValue when it goes, whatever happens in between.
class BrowserResult {
 public:
  BrowserResult() { m_variant.type = NPVariantType_Void; }
  ~BrowserResult();
  BrowserResult(const BrowserResult&) = delete;
  BrowserResult& operator=(const BrowserResult&) = delete;
  NPVariant* get() { return &m_variant; }
  const NPVariant& operator*() const { return m_variant; }

 private:
  NPVariant m_variant;
};

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
