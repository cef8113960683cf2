// Any bytes as the two texts of a named-callback script: evaluated in
// JavaScriptCore beside a recording function of that name, the script calls
// exactly that function, once, with two strings, and does nothing else (no
// exception, no new global). The script reaches JavaScriptCore as a WebKit
// browser's evaluate hands it over: UTF-8, or Latin-1 when it is not valid
// UTF-8. When it is valid, so are both texts, and each must arrive whole:
// written back as UTF-8 it gives the text's bytes. Texts that are not valid
// UTF-8 have no one right reading; for them the call itself is checked.
//
// Input: one byte giving the first text's length, then the first text and
// the second.
#include <JavaScriptCore/JavaScript.h>

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "service/AsyncDelivery.h"

namespace {

constexpr char kFunctionName[] = "onUpdateProgress";

struct Call {
  size_t argumentCount;
  std::vector<std::string> strings;  // as UTF-8
};
std::vector<Call> g_calls;

std::string Utf8Of(JSStringRef string) {
  std::string text(JSStringGetMaximumUTF8CStringSize(string), '\0');
  const size_t written = JSStringGetUTF8CString(string, text.data(), text.size());
  text.resize(written > 0 ? written - 1 : 0);  // without the NUL it ends with
  return text;
}

JSValueRef Record(JSContextRef context, JSObjectRef, JSObjectRef, size_t count,
                  const JSValueRef arguments[], JSValueRef*) {
  Call call{count, {}};
  for (size_t i = 0; i < count; ++i) {
    if (!JSValueIsString(context, arguments[i])) continue;
    JSStringRef string = JSValueToStringCopy(context, arguments[i], nullptr);
    call.strings.push_back(Utf8Of(string));
    JSStringRelease(string);
  }
  g_calls.push_back(call);
  return JSValueMakeUndefined(context);
}

// The script as UTF-8 when it reads back unchanged, else as Latin-1.
JSStringRef ScriptString(const std::string& script, bool* utf8) {
  JSStringRef string = JSStringCreateWithUTF8CString(script.c_str());
  *utf8 = Utf8Of(string) == script;
  if (*utf8) return string;
  JSStringRelease(string);
  std::u16string latin1;
  for (unsigned char c : script) latin1 += static_cast<char16_t>(c);
  return JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(latin1.data()),
                                      latin1.size());
}

struct Context {
  Context() : context(JSGlobalContextCreate(nullptr)) {
    JSStringRef name = JSStringCreateWithUTF8CString(kFunctionName);
    JSObjectSetProperty(context, JSContextGetGlobalObject(context), name,
                        JSObjectMakeFunctionWithCallback(context, name, Record),
                        kJSPropertyAttributeNone, nullptr);
    JSStringRelease(name);
  }
  size_t GlobalCount() {
    JSPropertyNameArrayRef names =
        JSObjectCopyPropertyNames(context, JSContextGetGlobalObject(context));
    const size_t count = JSPropertyNameArrayGetCount(names);
    JSPropertyNameArrayRelease(names);
    return count;
  }
  JSGlobalContextRef context;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Context js;
  if (size == 0) return 0;
  const std::string texts(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string first = texts.substr(0, data[0]);
  const std::string second = texts.substr(first.size());

  const std::string script = NSPlRuvoAVObject::BuildCallScript(kFunctionName, first, second);
  // The browser may read the script as a C string.
  FUZZ_CHECK(script.find('\0') == std::string::npos, "a NUL in the script");
  g_calls.clear();
  const size_t globals = js.GlobalCount();
  bool utf8 = false;
  JSStringRef source = ScriptString(script, &utf8);
  JSValueRef exception = nullptr;
  JSEvaluateScript(js.context, source, nullptr, nullptr, 1, &exception);
  JSStringRelease(source);

  FUZZ_CHECK(exception == nullptr, "the script threw: %s", script.c_str());
  FUZZ_CHECK(g_calls.size() == 1, "%zu calls of %s", g_calls.size(), script.c_str());
  FUZZ_CHECK(g_calls[0].argumentCount == 2 && g_calls[0].strings.size() == 2,
             "called with %zu arguments: %s", g_calls[0].argumentCount, script.c_str());
  FUZZ_CHECK(js.GlobalCount() == globals, "the script made a global: %s", script.c_str());
  FUZZ_CHECK(!utf8 || (g_calls[0].strings[0] == first && g_calls[0].strings[1] == second),
             "other texts arrived: %s", script.c_str());
  return 0;
}
