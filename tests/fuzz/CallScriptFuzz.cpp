// Any bytes as the two texts of a named-callback script: evaluated in
// JavaScriptCore beside a recording function of that name, the script calls
// exactly that function, once, with exactly the two texts, and does nothing
// else (no exception, no new global). The script reaches JavaScriptCore as
// a WebKit browser's evaluate hands it over: UTF-8, or Latin-1 when it is
// not valid UTF-8. Texts that are not valid UTF-8 have no one right
// reading; for them the call itself is checked.
//
// Input: one byte giving the first text's length, then the first text and
// the second.
#include <JavaScriptCore/JavaScript.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ReferenceReading.h"
#include "service/AsyncDelivery.h"

namespace {

constexpr char kFunctionName[] = "onUpdateProgress";

struct Call {
  size_t argumentCount;
  std::vector<std::u16string> strings;
};
std::vector<Call> g_calls;

std::u16string TextOf(JSContextRef context, JSValueRef value) {
  JSStringRef string = JSValueToStringCopy(context, value, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string)),
                      JSStringGetLength(string));
  JSStringRelease(string);
  return text;
}

JSValueRef Record(JSContextRef context, JSObjectRef, JSObjectRef, size_t count,
                  const JSValueRef arguments[], JSValueRef*) {
  Call call{count, {}};
  for (size_t i = 0; i < count; ++i) {
    if (JSValueIsString(context, arguments[i])) call.strings.push_back(TextOf(context, arguments[i]));
  }
  g_calls.push_back(call);
  return JSValueMakeUndefined(context);
}

JSStringRef ScriptString(const std::string& script) {
  std::u16string text;
  if (auto utf16 = reference::Utf16OfUtf8(script)) {
    text = *utf16;
  } else {
    for (unsigned char c : script) text += static_cast<char16_t>(c);
  }
  return JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(text.data()), text.size());
}

struct Context {
  Context() : context(JSGlobalContextCreate(nullptr)) {
    JSStringRef name = JSStringCreateWithUTF8CString(kFunctionName);
    recorder = JSObjectMakeFunctionWithCallback(context, name, Record);
    JSObjectSetProperty(context, JSContextGetGlobalObject(context), name, recorder,
                        kJSPropertyAttributeNone, nullptr);
    JSStringRelease(name);
  }
  size_t GlobalCount() {
    JSPropertyNameArrayRef names = JSObjectCopyPropertyNames(context, JSContextGetGlobalObject(context));
    const size_t count = JSPropertyNameArrayGetCount(names);
    JSPropertyNameArrayRelease(names);
    return count;
  }
  JSGlobalContextRef context;
  JSObjectRef recorder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Context js;
  if (size == 0) return 0;
  const size_t firstLength = std::min<size_t>(data[0], size - 1);
  const std::string first(reinterpret_cast<const char*>(data + 1), firstLength);
  const std::string second(reinterpret_cast<const char*>(data + 1 + firstLength),
                           size - 1 - firstLength);

  const std::string script = NSPlRuvoAVObject::BuildCallScript(kFunctionName, first, second);
  // The browser may read the script as a C string.
  FUZZ_CHECK(script.find('\0') == std::string::npos, "a NUL in the script");
  g_calls.clear();
  const size_t globals = js.GlobalCount();
  JSStringRef source = ScriptString(script);
  JSValueRef exception = nullptr;
  JSEvaluateScript(js.context, source, nullptr, nullptr, 1, &exception);
  JSStringRelease(source);

  FUZZ_CHECK(exception == nullptr, "the script threw: %s", script.c_str());
  FUZZ_CHECK(g_calls.size() == 1, "%zu calls of %s", g_calls.size(), script.c_str());
  FUZZ_CHECK(g_calls[0].argumentCount == 2 && g_calls[0].strings.size() == 2,
             "called with %zu arguments: %s", g_calls[0].argumentCount, script.c_str());
  FUZZ_CHECK(js.GlobalCount() == globals, "the script made a global: %s", script.c_str());
  const auto wantFirst = reference::Utf16OfUtf8(first);
  const auto wantSecond = reference::Utf16OfUtf8(second);
  if (wantFirst && wantSecond) {
    FUZZ_CHECK(g_calls[0].strings[0] == *wantFirst && g_calls[0].strings[1] == *wantSecond,
               "other texts arrived: %s", script.c_str());
  }
  return 0;
}
