// Script values and NPVariants, both ways.
#include <cmath>
#include <cstring>

#include "Browser.h"
#include "JsUtil.h"
#include "LeakLedger.h"
#include "ScriptBridge.h"

namespace npbrowser {

namespace {

bool IsInt32(double number) {
  return std::isfinite(number) && std::trunc(number) == number && number >= INT32_MIN &&
         number <= INT32_MAX && !(number == 0 && std::signbit(number));
}

}  // namespace

void ScriptBridge::ToVariant(JSValueRef value, NPVariant* out) {
  JSContextRef ctx = Context();
  out->type = NPVariantType_Void;
  out->value.objectValue = nullptr;
  switch (JSValueGetType(ctx, value)) {
    case kJSTypeNull:
      out->type = NPVariantType_Null;
      break;
    case kJSTypeBoolean:
      out->type = NPVariantType_Bool;
      out->value.boolValue = JSValueToBoolean(ctx, value);
      break;
    case kJSTypeNumber: {
      double number = JSValueToNumber(ctx, value, nullptr);
      if (m_numbers == NumberMode::kInt32 && IsInt32(number)) {
        out->type = NPVariantType_Int32;
        out->value.intValue = static_cast<int32_t>(number);
      } else {
        out->type = NPVariantType_Double;
        out->value.doubleValue = number;
      }
      break;
    }
    case kJSTypeString: {
      std::string text = ToStdString(ctx, value);
      auto* copy = static_cast<NPUTF8*>(
          m_browser.Ledger().Allocate(static_cast<uint32_t>(text.size() + 1)));
      if (copy == nullptr) break;
      memcpy(copy, text.c_str(), text.size() + 1);
      out->type = NPVariantType_String;
      out->value.stringValue = NPString{copy, static_cast<uint32_t>(text.size())};
      break;
    }
    case kJSTypeObject: {
      NPObject* inside = NpObjectInside(value);
      out->type = NPVariantType_Object;
      out->value.objectValue = inside != nullptr
                                   ? Browser::RetainObject(inside)
                                   : NpObjectFor(JSValueToObject(ctx, value, nullptr));
      break;
    }
    default:  // undefined, and symbols, which have no NPAPI form
      break;
  }
}

JSValueRef ScriptBridge::FromVariant(const NPVariant& value) {
  JSContextRef ctx = Context();
  switch (value.type) {
    case NPVariantType_Null:
      return JSValueMakeNull(ctx);
    case NPVariantType_Bool:
      return JSValueMakeBoolean(ctx, value.value.boolValue);
    case NPVariantType_Int32:
      return JSValueMakeNumber(ctx, value.value.intValue);
    case NPVariantType_Double:
      return JSValueMakeNumber(ctx, value.value.doubleValue);
    case NPVariantType_String: {
      const NPString& string = value.value.stringValue;
      return MakeString(ctx, std::string(string.UTF8Characters != nullptr
                                             ? string.UTF8Characters : "",
                                         string.UTF8Characters != nullptr
                                             ? string.UTF8Length : 0));
    }
    case NPVariantType_Object: {
      NPObject* object = value.value.objectValue;
      if (object == nullptr) return JSValueMakeNull(ctx);
      JSObjectRef behind = JsObjectBehind(object);
      return behind != nullptr ? behind : Wrap(object, nullptr);
    }
    default:
      return JSValueMakeUndefined(ctx);
  }
}

}  // namespace npbrowser
