// Small helpers around the JavaScriptCore C API.
#ifndef NPBROWSER_JSUTIL_H
#define NPBROWSER_JSUTIL_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <string>
#include <vector>

namespace npbrowser {

// Owns one JSStringRef.
class JsString {
 public:
  explicit JsString(const std::string& text);
  explicit JsString(JSStringRef adopted) : m_string(adopted) {}
  ~JsString();
  JsString(const JsString&) = delete;
  JsString& operator=(const JsString&) = delete;
  JSStringRef get() const { return m_string; }

 private:
  JSStringRef m_string;
};

std::string ToStdString(JSStringRef string);
// String(value) as script would write it; empty if that throws.
std::string ToStdString(JSContextRef ctx, JSValueRef value);
JSValueRef MakeString(JSContextRef ctx, const std::string& text);
JSObjectRef MakeError(JSContextRef ctx, const std::string& message);

JSValueRef GetProperty(JSContextRef ctx, JSObjectRef object, const std::string& name);
void SetProperty(JSContextRef ctx, JSObjectRef object, const std::string& name,
                 JSValueRef value);
bool IsFunction(JSContextRef ctx, JSValueRef value);

// A script function backed by a C++ callable. The callable returns the
// result, or sets `exception` and returns null.
using NativeFunction = std::function<JSValueRef(
    JSContextRef ctx, JSObjectRef thisObject, const std::vector<JSValueRef>& args,
    JSValueRef* exception)>;
JSObjectRef MakeFunction(JSContextRef ctx, NativeFunction function);
void SetFunction(JSContextRef ctx, JSObjectRef object, const std::string& name,
                 NativeFunction function);

}  // namespace npbrowser

#endif  // NPBROWSER_JSUTIL_H
