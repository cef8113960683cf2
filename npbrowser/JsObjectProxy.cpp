// Script objects handed to the module: an NPObject class whose operations
// run in the page's JavaScript. A function passed as a callback becomes such
// an object, and the module calls it with NPN_InvokeDefault.
#include <vector>

#include "Browser.h"
#include "Identifiers.h"
#include "JsUtil.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"

namespace npbrowser {

namespace {

constexpr char kPluginCallFile[] = "(plug-in call)";

struct JsObjectProxy : NPObject {
  JSObjectRef script = nullptr;
  ScriptBridge* bridge = nullptr;  // null once the page is gone
};

JsObjectProxy* Usable(NPObject* object) {
  auto* proxy = static_cast<JsObjectProxy*>(object);
  if (proxy->bridge == nullptr || !proxy->bridge->Host().OnMainThread()) return nullptr;
  return proxy;
}

// A property read; an exception counts as uncaught.
bool ReadMember(JsObjectProxy* proxy, NPIdentifier name, JSValueRef* value) {
  JSValueRef exception = nullptr;
  JsString key(IdentifierName(name));
  *value = JSObjectGetProperty(proxy->bridge->Context(), proxy->script, key.get(),
                               &exception);
  if (exception == nullptr) return true;
  proxy->bridge->Engine().ReportUncaught(exception, kPluginCallFile);
  return false;
}

bool CallWith(JsObjectProxy* proxy, JSObjectRef function, JSObjectRef thisObject,
              const NPVariant* args, uint32_t argCount, NPVariant* result) {
  std::vector<JSValueRef> jsArgs;
  for (uint32_t i = 0; i < argCount; ++i) jsArgs.push_back(proxy->bridge->FromVariant(args[i]));
  JSValueRef value = nullptr;
  if (!proxy->bridge->Engine().Call(function, thisObject, jsArgs, &value)) return false;
  proxy->bridge->ToVariant(value, result);
  return true;
}

NPObject* Allocate(NPP, NPClass*) { return new JsObjectProxy(); }

void Deallocate(NPObject* object) {
  auto* proxy = static_cast<JsObjectProxy*>(object);
  if (proxy->bridge != nullptr) {
    proxy->bridge->ForgetProxy(proxy->script);
    JSValueUnprotect(proxy->bridge->Context(), proxy->script);
  }
  delete proxy;
}

bool HasMethod(NPObject* object, NPIdentifier name) {
  JsObjectProxy* proxy = Usable(object);
  JSValueRef value = nullptr;
  return proxy != nullptr && ReadMember(proxy, name, &value) &&
         IsFunction(proxy->bridge->Context(), value);
}

bool Invoke(NPObject* object, NPIdentifier name, const NPVariant* args,
            uint32_t argCount, NPVariant* result) {
  JsObjectProxy* proxy = Usable(object);
  JSValueRef value = nullptr;
  if (proxy == nullptr || !ReadMember(proxy, name, &value) ||
      !IsFunction(proxy->bridge->Context(), value)) {
    return false;
  }
  JSObjectRef function = JSValueToObject(proxy->bridge->Context(), value, nullptr);
  return CallWith(proxy, function, proxy->script, args, argCount, result);
}

bool InvokeDefault(NPObject* object, const NPVariant* args, uint32_t argCount,
                   NPVariant* result) {
  JsObjectProxy* proxy = Usable(object);
  if (proxy == nullptr || !JSObjectIsFunction(proxy->bridge->Context(), proxy->script)) {
    return false;
  }
  return CallWith(proxy, proxy->script, nullptr, args, argCount, result);
}

bool HasProperty(NPObject* object, NPIdentifier name) {
  JsObjectProxy* proxy = Usable(object);
  if (proxy == nullptr) return false;
  JsString key(IdentifierName(name));
  return JSObjectHasProperty(proxy->bridge->Context(), proxy->script, key.get());
}

bool GetProperty(NPObject* object, NPIdentifier name, NPVariant* result) {
  JsObjectProxy* proxy = Usable(object);
  JSValueRef value = nullptr;
  if (proxy == nullptr || !ReadMember(proxy, name, &value)) return false;
  proxy->bridge->ToVariant(value, result);
  return true;
}

bool SetProperty(NPObject* object, NPIdentifier name, const NPVariant* value) {
  JsObjectProxy* proxy = Usable(object);
  if (proxy == nullptr || value == nullptr) return false;
  JSValueRef exception = nullptr;
  JsString key(IdentifierName(name));
  JSObjectSetProperty(proxy->bridge->Context(), proxy->script, key.get(),
                      proxy->bridge->FromVariant(*value), kJSPropertyAttributeNone,
                      &exception);
  if (exception == nullptr) return true;
  proxy->bridge->Engine().ReportUncaught(exception, kPluginCallFile);
  return false;
}

bool RemoveProperty(NPObject* object, NPIdentifier name) {
  JsObjectProxy* proxy = Usable(object);
  if (proxy == nullptr) return false;
  JsString key(IdentifierName(name));
  return JSObjectDeleteProperty(proxy->bridge->Context(), proxy->script, key.get(),
                                nullptr);
}

NPClass gProxyClass = {NP_CLASS_STRUCT_VERSION, Allocate, Deallocate, nullptr,
                       HasMethod, Invoke, InvokeDefault, HasProperty, GetProperty,
                       SetProperty, RemoveProperty, nullptr, nullptr};

}  // namespace

NPObject* ScriptBridge::NpObjectFor(JSObjectRef object) {
  auto found = m_proxies.find(object);
  if (found != m_proxies.end()) return Browser::RetainObject(found->second);
  NPObject* created = m_browser.CreateObject(nullptr, &gProxyClass);
  if (created == nullptr) return nullptr;
  auto* proxy = static_cast<JsObjectProxy*>(created);
  proxy->script = object;
  proxy->bridge = this;
  JSValueProtect(Context(), object);
  m_proxies[object] = created;
  return created;
}

JSObjectRef ScriptBridge::JsObjectBehind(NPObject* object) const {
  if (object == nullptr || object->_class != &gProxyClass) return nullptr;
  return static_cast<JsObjectProxy*>(object)->script;
}

void ScriptBridge::ForgetProxy(JSObjectRef object) { m_proxies.erase(object); }

void ScriptBridge::DetachProxies() {
  for (auto& entry : m_proxies) {
    JSValueUnprotect(Context(), entry.first);
    static_cast<JsObjectProxy*>(entry.second)->bridge = nullptr;
  }
  m_proxies.clear();
}

}  // namespace npbrowser
