// NPObjects shown to script: a JS class that forwards property and method
// access to the NPObject's class, and for a plug-in element falls back to
// the element (id, getAttribute) for names the NPObject does not know.
#include <algorithm>
#include <cctype>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "Browser.h"
#include "Element.h"
#include "Identifiers.h"
#include "JsUtil.h"
#include "TaskPoster.h"
#include "ModuleCalls.h"
#include "ScriptBridge.h"

namespace npbrowser {

struct WrappedNpObject;

// Which wrappers still hold a reference. Finalizers may run late (at
// garbage collection, on whatever thread the engine chooses), so they only
// hand their reference to the main loop.
struct WrapperRegistry {
  explicit WrapperRegistry(Browser& owner) : browser(owner) {}
  Browser& browser;
  std::mutex mutex;
  std::unordered_set<WrappedNpObject*> live;
  bool closed = false;
};

std::shared_ptr<WrapperRegistry> MakeWrapperRegistry(Browser& browser) {
  return std::make_shared<WrapperRegistry>(browser);
}

struct WrappedNpObject {
  NPObject* object;  // one reference, or null once released
  const Element* element;
  ScriptBridge* bridge;
  std::shared_ptr<WrapperRegistry> registry;
};

namespace {

enum class NpName { kNone, kProperty, kMethod };

WrappedNpObject* DataOf(JSObjectRef object) {
  return static_cast<WrappedNpObject*>(JSObjectGetPrivate(object));
}

NpName Lookup(const WrappedNpObject* data, NPIdentifier name) {
  NPObject* object = data != nullptr ? data->object : nullptr;
  if (object == nullptr || object->_class == nullptr) return NpName::kNone;
  NPClass* npclass = object->_class;
  if (npclass->hasProperty != nullptr) {
    ModuleCall call("hasProperty", name, data->element);
    if (npclass->hasProperty(object, name)) return NpName::kProperty;
  }
  if (npclass->hasMethod != nullptr) {
    ModuleCall call("hasMethod", name, data->element);
    if (npclass->hasMethod(object, name)) return NpName::kMethod;
  }
  return NpName::kNone;
}

bool IsElementName(const std::string& name) {
  return name == "id" || name == "tagName" || name == "nodeName" ||
         name == "getAttribute";
}

JSValueRef ElementProperty(JSContextRef ctx, const Element& element,
                           const std::string& name) {
  if (name == "id") {
    const std::string* id = element.Attribute("id");
    return MakeString(ctx, id != nullptr ? *id : "");
  }
  if (name == "getAttribute") {
    return MakeFunction(ctx, [&element](JSContextRef c, JSObjectRef,
                                        const std::vector<JSValueRef>& args, JSValueRef*) {
      std::string wanted = args.empty() ? "undefined" : ToStdString(c, args[0]);
      std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                     [](unsigned char ch) { return std::tolower(ch); });
      const std::string* value = element.Attribute(wanted);
      return value != nullptr ? MakeString(c, *value) : JSValueMakeNull(c);
    });
  }
  std::string tag = element.tag;
  std::transform(tag.begin(), tag.end(), tag.begin(),
                 [](unsigned char ch) { return std::toupper(ch); });
  return MakeString(ctx, tag);
}

// The end of every call into an NPObject: an exception the module set, or
// a failed call, becomes a script exception.
JSValueRef FinishCall(ScriptBridge* bridge, bool ok, NPVariant* result,
                      const char* failure, JSValueRef* exception) {
  JSValueRef value = ok ? bridge->FromVariant(*result) : nullptr;
  bridge->ReleaseVariant(result);
  if (bridge->TakePendingException(exception)) return nullptr;
  if (!ok && failure != nullptr) {
    *exception = MakeError(bridge->Context(), failure);
    return nullptr;
  }
  return value != nullptr ? value : JSValueMakeUndefined(bridge->Context());
}

std::vector<NPVariant> ToVariants(ScriptBridge* bridge, size_t argc, const JSValueRef argv[]) {
  std::vector<NPVariant> args(argc);
  for (size_t i = 0; i < argc; ++i) bridge->ToVariant(argv[i], &args[i]);
  return args;
}

void ReleaseVariants(ScriptBridge* bridge, std::vector<NPVariant>& args) {
  for (NPVariant& arg : args) bridge->ReleaseVariant(&arg);
}

JSClassRef WrapperClass();

// A method read from an NPObject: calls it on `this`, as browsers do.
JSValueRef CallMethod(JSContextRef ctx, JSObjectRef function, JSObjectRef thisObject,
                      size_t argc, const JSValueRef argv[], JSValueRef* exception) {
  auto name = static_cast<NPIdentifier>(JSObjectGetPrivate(function));
  WrappedNpObject* data = thisObject != nullptr && JSValueIsObjectOfClass(
                              ctx, thisObject, WrapperClass()) ? DataOf(thisObject) : nullptr;
  if (data == nullptr || data->object == nullptr) {
    *exception = MakeError(ctx, "plug-in method called on an object that is not its own");
    return nullptr;
  }
  ScriptBridge* bridge = data->bridge;
  NPObject* object = Browser::RetainObject(data->object);
  std::vector<NPVariant> args = ToVariants(bridge, argc, argv);
  NPVariant result{};
  bool ok = false;
  if (object->_class->invoke != nullptr) {
    ModuleCall call("invoke", name, data->element);
    ok = object->_class->invoke(object, name, args.data(),
                                static_cast<uint32_t>(args.size()), &result);
  }
  ReleaseVariants(bridge, args);
  JSValueRef value =
      FinishCall(bridge, ok, &result, "Error calling method on NPObject.", exception);
  bridge->Host().ReleaseObject(object);
  return value;
}

JSClassRef MethodClass() {
  static JSClassRef methodClass = [] {
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = "PluginMethod";
    definition.callAsFunction = CallMethod;
    return JSClassCreate(&definition);
  }();
  return methodClass;
}

bool HasPropertyCallback(JSContextRef, JSObjectRef object, JSStringRef name) {
  WrappedNpObject* data = DataOf(object);
  std::string key = ToStdString(name);
  if (Lookup(data, IdentifierForPropertyName(key)) != NpName::kNone) return true;
  return data != nullptr && data->element != nullptr && IsElementName(key);
}

JSValueRef GetPropertyCallback(JSContextRef ctx, JSObjectRef object, JSStringRef name,
                               JSValueRef* exception) {
  WrappedNpObject* data = DataOf(object);
  std::string key = ToStdString(name);
  NPIdentifier id = IdentifierForPropertyName(key);
  switch (Lookup(data, id)) {
    case NpName::kProperty: {
      NPObject* npobject = Browser::RetainObject(data->object);
      NPVariant result{};
      bool ok = false;
      if (npobject->_class->getProperty != nullptr) {
        ModuleCall call("get", id, data->element);
        ok = npobject->_class->getProperty(npobject, id, &result);
      }
      // A property the object has but cannot read reads as undefined.
      JSValueRef value = FinishCall(data->bridge, ok, &result, nullptr, exception);
      data->bridge->Host().ReleaseObject(npobject);
      return value;
    }
    case NpName::kMethod:
      return JSObjectMake(ctx, MethodClass(), id);
    case NpName::kNone:
      break;
  }
  if (data != nullptr && data->element != nullptr && IsElementName(key)) {
    return ElementProperty(ctx, *data->element, key);
  }
  return nullptr;
}

bool SetPropertyCallback(JSContextRef, JSObjectRef object, JSStringRef name,
                         JSValueRef value, JSValueRef* exception) {
  WrappedNpObject* data = DataOf(object);
  NPIdentifier id = IdentifierForPropertyName(ToStdString(name));
  // Names the object does not have become ordinary script properties.
  if (Lookup(data, id) != NpName::kProperty) return false;
  NPObject* npobject = Browser::RetainObject(data->object);
  NPVariant variant;
  data->bridge->ToVariant(value, &variant);
  if (npobject->_class->setProperty != nullptr) {
    ModuleCall call("set", id, data->element);
    npobject->_class->setProperty(npobject, id, &variant);
  }
  data->bridge->ReleaseVariant(&variant);
  data->bridge->TakePendingException(exception);
  data->bridge->Host().ReleaseObject(npobject);
  return true;
}

JSValueRef CallAsFunctionCallback(JSContextRef ctx, JSObjectRef function, JSObjectRef,
                                  size_t argc, const JSValueRef argv[],
                                  JSValueRef* exception) {
  WrappedNpObject* data = DataOf(function);
  if (data == nullptr || data->object == nullptr) {
    *exception = MakeError(ctx, "plug-in object is gone");
    return nullptr;
  }
  NPObject* object = Browser::RetainObject(data->object);
  std::vector<NPVariant> args = ToVariants(data->bridge, argc, argv);
  NPVariant result{};
  bool ok = false;
  if (object->_class->invokeDefault != nullptr) {
    ModuleCall call("invokeDefault", nullptr, data->element);
    ok = object->_class->invokeDefault(object, args.data(),
                                       static_cast<uint32_t>(args.size()), &result);
  }
  ReleaseVariants(data->bridge, args);
  JSValueRef value = FinishCall(data->bridge, ok, &result,
                                "Error calling method on NPObject.", exception);
  data->bridge->Host().ReleaseObject(object);
  return value;
}

void FinalizeCallback(JSObjectRef object) {
  WrappedNpObject* data = DataOf(object);
  if (data == nullptr) return;
  std::shared_ptr<WrapperRegistry> registry = data->registry;
  NPObject* npobject = nullptr;
  {
    std::lock_guard<std::mutex> lock(registry->mutex);
    registry->live.erase(data);
    npobject = data->object;
  }
  delete data;
  if (npobject != nullptr) {
    Browser* browser = &registry->browser;
    browser->Loop().Post([browser, npobject] { browser->ReleaseObject(npobject); });
  }
}

JSClassRef WrapperClass() {
  static JSClassRef wrapperClass = [] {
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = "PluginObject";
    definition.hasProperty = HasPropertyCallback;
    definition.getProperty = GetPropertyCallback;
    definition.setProperty = SetPropertyCallback;
    definition.callAsFunction = CallAsFunctionCallback;
    definition.finalize = FinalizeCallback;
    return JSClassCreate(&definition);
  }();
  return wrapperClass;
}

}  // namespace

JSObjectRef ScriptBridge::Wrap(NPObject* object, const Element* element) {
  auto* data = new WrappedNpObject{nullptr, element, this, m_wrappers};
  {
    std::lock_guard<std::mutex> lock(m_wrappers->mutex);
    if (!m_wrappers->closed && object != nullptr) {
      data->object = Browser::RetainObject(object);
      m_wrappers->live.insert(data);
    }
  }
  return JSObjectMake(Context(), WrapperClass(), data);
}

bool ScriptBridge::IsMethod(JSValueRef value) const {
  return JSValueIsObjectOfClass(Context(), value, MethodClass());
}

NPObject* ScriptBridge::NpObjectInside(JSValueRef value) const {
  JSContextRef ctx = Context();
  if (!JSValueIsObjectOfClass(ctx, value, WrapperClass())) return nullptr;
  WrappedNpObject* data = DataOf(JSValueToObject(ctx, value, nullptr));
  return data != nullptr ? data->object : nullptr;
}

void ScriptBridge::ReleaseWrappedObjects() {
  std::vector<NPObject*> held;
  {
    std::lock_guard<std::mutex> lock(m_wrappers->mutex);
    m_wrappers->closed = true;
    for (WrappedNpObject* data : m_wrappers->live) {
      held.push_back(data->object);
      data->object = nullptr;
    }
    m_wrappers->live.clear();
  }
  for (NPObject* object : held) m_browser.ReleaseObject(object);
}

}  // namespace npbrowser
