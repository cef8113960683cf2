#include "ScriptEngine.h"

#include <algorithm>

#include "JsUtil.h"

namespace npbrowser {

ScriptEngine::ScriptEngine() : m_context(JSGlobalContextCreate(nullptr)) {}

ScriptEngine::ScriptEngine(JSGlobalContextRef pageContext)
    : m_context(JSGlobalContextRetain(pageContext)) {}

ScriptEngine::~ScriptEngine() { JSGlobalContextRelease(m_context); }

JSObjectRef ScriptEngine::Global() const { return JSContextGetGlobalObject(m_context); }

bool ScriptEngine::Evaluate(const std::string& code, const std::string& file, int line,
                            JSObjectRef thisObject, JSValueRef* result) {
  JsString script(code);
  JsString url(file);
  JSValueRef exception = nullptr;
  JSValueRef value =
      JSEvaluateScript(m_context, script.get(), thisObject, url.get(), line, &exception);
  if (exception != nullptr) {
    ReportUncaught(exception, file);
    return false;
  }
  if (result != nullptr) *result = value;
  return true;
}

bool ScriptEngine::Call(JSObjectRef function, JSObjectRef thisObject,
                        const std::vector<JSValueRef>& args, JSValueRef* result) {
  JSValueRef exception = nullptr;
  JSValueRef value = JSObjectCallAsFunction(m_context, function, thisObject, args.size(),
                                            args.data(), &exception);
  if (exception != nullptr) {
    ReportUncaught(exception, "(callback)");
    return false;
  }
  if (result != nullptr) *result = value;
  return true;
}

std::string ScriptEngine::Describe(JSValueRef exception,
                                   const std::string& fallbackFile) const {
  std::string message = ToStdString(m_context, exception);
  std::string where = fallbackFile;
  std::string stack;
  if (JSValueIsObject(m_context, exception)) {
    JSObjectRef error = JSValueToObject(m_context, exception, nullptr);
    JSValueRef file = GetProperty(m_context, error, "sourceURL");
    JSValueRef line = GetProperty(m_context, error, "line");
    if (JSValueIsString(m_context, file)) where = ToStdString(m_context, file);
    if (JSValueIsNumber(m_context, line)) {
      where += ":" + ToStdString(m_context, line);
    }
    JSValueRef trace = GetProperty(m_context, error, "stack");
    if (JSValueIsString(m_context, trace)) stack = ToStdString(m_context, trace);
  }
  std::string report = where + ": " + message;
  if (!stack.empty()) report += "\n  stack:";
  for (size_t start = 0; start < stack.size();) {
    size_t end = std::min(stack.find('\n', start), stack.size());
    report += "\n    " + stack.substr(start, end - start);
    start = end + 1;
  }
  return report;
}

void ScriptEngine::ReportUncaught(JSValueRef exception, const std::string& fallbackFile) {
  std::string report = Describe(exception, fallbackFile);
  if (m_onUncaught) m_onUncaught(report);
}

}  // namespace npbrowser
