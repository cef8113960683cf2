// Where NPAPI meets the page's JavaScript: values converted both ways, JS
// objects handed to the module as NPObjects, and NPObjects shown to script
// as JS objects. Main thread only.
#ifndef NPBROWSER_SCRIPTBRIDGE_H
#define NPBROWSER_SCRIPTBRIDGE_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "Element.h"
#include "NumberMode.h"
#include "npruntime.h"

namespace npbrowser {

class Browser;
class ScriptEngine;
struct WrapperRegistry;
std::shared_ptr<WrapperRegistry> MakeWrapperRegistry(Browser& browser);

class ScriptBridge {
 public:
  ScriptBridge(ScriptEngine& engine, Browser& browser, NumberMode numbers);
  ~ScriptBridge();
  ScriptBridge(const ScriptBridge&) = delete;
  ScriptBridge& operator=(const ScriptBridge&) = delete;

  ScriptEngine& Engine() { return m_engine; }
  Browser& Host() { return m_browser; }
  JSContextRef Context() const;

  // Script value to variant. The variant owns what it holds: strings come
  // from NPN_MemAlloc, objects carry a reference.
  void ToVariant(JSValueRef value, NPVariant* out);
  // Variant to script value; the variant is left as it was.
  JSValueRef FromVariant(const NPVariant& value);
  // NPN_ReleaseVariantValue.
  void ReleaseVariant(NPVariant* variant);

  // A script object as an NPObject: a new reference. The same script object
  // gives the same NPObject while that lives.
  NPObject* NpObjectFor(JSObjectRef object);
  // The script object behind such an NPObject, or null.
  JSObjectRef JsObjectBehind(NPObject* object) const;
  // Called by the proxy class when its NPObject goes.
  void ForgetProxy(JSObjectRef object);

  // An NPObject as a script object that holds one reference on it. With an
  // element, names the NPObject does not know fall back to the element.
  JSObjectRef Wrap(NPObject* object, const Element* element);
  // Whether a value is a wrapper's method as read from it, which calls the
  // module only with that wrapper as `this`.
  bool IsMethod(JSValueRef value) const;
  // The NPObject inside a wrapper (borrowed), or null.
  NPObject* NpObjectInside(JSValueRef value) const;
  // Drops every reference that wrappers still hold. For shutdown.
  void ReleaseWrappedObjects();

  // NPN_Evaluate: runs `script` with `scope`'s script object as `this`.
  bool Evaluate(NPObject* scope, const std::string& script, NPVariant* result);

  // NPN_SetException; thrown into script when the current call returns.
  void SetPendingException(std::string message) { m_pendingException = std::move(message); }
  // Moves a pending exception into `exception`; false if there was none.
  bool TakePendingException(JSValueRef* exception);

 private:
  // Proxies that outlive the bridge (leaked by the module) let go of script.
  void DetachProxies();

  ScriptEngine& m_engine;
  Browser& m_browser;
  NumberMode m_numbers;
  std::unordered_map<JSObjectRef, NPObject*> m_proxies;
  std::shared_ptr<WrapperRegistry> m_wrappers;
  std::string m_pendingException;
};

}  // namespace npbrowser

#endif  // NPBROWSER_SCRIPTBRIDGE_H
