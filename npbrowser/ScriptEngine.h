// The page's JavaScript context, and what happens to exceptions that no
// script catches: they are reported with file and line, once, to the
// handler the host installs.
#ifndef NPBROWSER_SCRIPTENGINE_H
#define NPBROWSER_SCRIPTENGINE_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <string>
#include <vector>

namespace npbrowser {

class ScriptEngine {
 public:
  using UncaughtHandler = std::function<void(const std::string& report)>;

  // A context of its own.
  ScriptEngine();
  // A context the embedding browser made (a page's): retained, not owned.
  explicit ScriptEngine(JSGlobalContextRef pageContext);
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  JSGlobalContextRef Context() const { return m_context; }
  JSObjectRef Global() const;

  void SetUncaughtHandler(UncaughtHandler handler) { m_onUncaught = std::move(handler); }

  // Each returns false after reporting an uncaught exception. `result` may
  // be null.
  bool Evaluate(const std::string& code, const std::string& file, int line,
                JSObjectRef thisObject, JSValueRef* result);
  bool Call(JSObjectRef function, JSObjectRef thisObject,
            const std::vector<JSValueRef>& args, JSValueRef* result);

  // "file:line: message", with the stack below when there is one.
  std::string Describe(JSValueRef exception, const std::string& fallbackFile) const;
  void ReportUncaught(JSValueRef exception, const std::string& fallbackFile);

 private:
  JSGlobalContextRef m_context;
  UncaughtHandler m_onUncaught;
};

}  // namespace npbrowser

#endif  // NPBROWSER_SCRIPTENGINE_H
