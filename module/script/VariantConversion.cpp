// Script value conversions.
#include "script/VariantConversion.h"

#include <cstring>
#include <limits>

#include "host/np_log.h"
#include "script/NumberConversion.h"

namespace script {

void BrowserFree::operator()(char* block) const { NPNFuncs.memfree(block); }

void BrowserRelease::operator()(NPObject* object) const { NPNFuncs.releaseobject(object); }

BrowserResult::~BrowserResult() { NPNFuncs.releasevariantvalue(&m_variant); }

BrowserText CopyToBrowserText(const NPString& text) {
  const uint32_t length = text.UTF8Length;
  if (length == std::numeric_limits<uint32_t>::max()) return nullptr;
  BrowserText copy(static_cast<char*>(NPNFuncs.memalloc(length + 1)));
  if (!copy) return nullptr;
  memset(copy.get(), 0, length + 1);
  if (length > 0 && text.UTF8Characters != nullptr) {
    memcpy(copy.get(), text.UTF8Characters, length);
  }
  return copy;
}

bool ReadInt32(const NPVariant& value, int32_t* out) {
  switch (value.type) {
    case NPVariantType_Int32:
      *out = value.value.intValue;
      return true;
    case NPVariantType_Double:
      *out = TruncateToInt32(value.value.doubleValue);
      return true;
    default:
      return false;
  }
}

void SetInt32Result(int32_t value, NPVariant* result) {
  result->type = NPVariantType_Int32;
  result->value.intValue = value;
}

bool SetStringResult(const char* text, NPVariant* result) {
  const NPString source{text, static_cast<uint32_t>(strlen(text))};
  BrowserText copy = CopyToBrowserText(source);
  if (!copy) return false;
  result->type = NPVariantType_String;
  result->value.stringValue.UTF8Length = source.UTF8Length;
  // The browser frees the text when it releases the result.
  result->value.stringValue.UTF8Characters = copy.release();
  return true;
}

void SetObjectResult(NPObject* object, NPVariant* result) {
  result->type = NPVariantType_Object;
  result->value.objectValue = NPNFuncs.retainobject(object);
}

}  // namespace script
