#include "ScriptBridge.h"

#include "Browser.h"
#include "JsUtil.h"
#include "ScriptEngine.h"

namespace npbrowser {

ScriptBridge::ScriptBridge(ScriptEngine& engine, Browser& browser, NumberMode numbers)
    : m_engine(engine),
      m_browser(browser),
      m_numbers(numbers),
      m_wrappers(MakeWrapperRegistry(browser)) {}

ScriptBridge::~ScriptBridge() {
  ReleaseWrappedObjects();
  DetachProxies();
}

JSContextRef ScriptBridge::Context() const { return m_engine.Context(); }

void ScriptBridge::ReleaseVariant(NPVariant* variant) {
  m_browser.Funcs()->releasevariantvalue(variant);
}

bool ScriptBridge::Evaluate(NPObject* scope, const std::string& script,
                            NPVariant* result) {
  JSObjectRef thisObject = JsObjectBehind(scope);
  if (thisObject == nullptr) return false;
  JSValueRef value = nullptr;
  if (!m_engine.Evaluate(script, "(plug-in script)", 1, thisObject, &value)) return false;
  ToVariant(value, result);
  return true;
}

bool ScriptBridge::TakePendingException(JSValueRef* exception) {
  if (m_pendingException.empty()) return false;
  *exception = MakeError(Context(), m_pendingException);
  m_pendingException.clear();
  return true;
}

}  // namespace npbrowser
