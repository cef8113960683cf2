#include "Browser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Identifiers.h"
#include "LeakLedger.h"
#include "TaskPoster.h"
#include "ModuleCalls.h"
#include "ScriptBridge.h"

namespace npbrowser {

namespace {

Browser* gCurrent = nullptr;

constexpr int kAppIdVariable = 19;
constexpr int kAppNameVariable = 20;
constexpr size_t kAppNameBufferSize = 1024;

void SetVoid(NPVariant* variant) {
  if (variant != nullptr) {
    variant->type = NPVariantType_Void;
    variant->value.objectValue = nullptr;
  }
}

bool HasClassFunction(NPObject* object) {
  return object != nullptr && object->_class != nullptr;
}

}  // namespace

// The NPN_ functions, in table order.
struct NpnFunctions {
  static Browser& B() { return *gCurrent; }

  // Fixed answers, each typed by the table slot it fills.
  template <typename... Args>
  static NPError Refuse(Args...) {
    return NPERR_GENERIC_ERROR;
  }
  template <typename Result, typename... Args>
  static Result Nothing(Args...) {
    return Result();
  }

  static int32_t Write(NPP, NPStream*, int32_t, void*) { return -1; }
  static const char* UserAgent(NPP) { return "Mozilla/5.0 (Linux) tvhost/1.0"; }
  static void* MemAlloc(uint32_t size) { return B().m_ledger.Allocate(size); }
  static void MemFree(void* block) { B().m_ledger.Free(block); }

  static NPError GetValue(NPP npp, NPNVariable variable, void* value) {
    if (value == nullptr) return NPERR_INVALID_PARAM;
    Browser& browser = B();
    switch (static_cast<int>(variable)) {
      case NPNVWindowNPObject:
      case NPNVPluginElementNPObject: {
        // Script objects belong to the main thread.
        if (!browser.OnMainThread()) return NPERR_GENERIC_ERROR;
        auto it = browser.m_instances.find(npp);
        JSObjectRef object = variable == NPNVWindowNPObject ? browser.WindowScriptObject()
                             : it != browser.m_instances.end() ? it->second
                                                               : nullptr;
        return GetScriptObject(object, value);
      }
      case NPNVjavascriptEnabledBool:
      case NPNVSupportsWindowless:
        *static_cast<NPBool*>(value) = 1;
        return NPERR_NO_ERROR;
      case NPNVasdEnabledBool:
      case NPNVisOfflineBool:
      case NPNVSupportsXEmbedBool:
      case NPNVprivateModeBool:
        *static_cast<NPBool*>(value) = 0;
        return NPERR_NO_ERROR;
      case kAppIdVariable:
        *static_cast<int32_t*>(value) = browser.m_appId;
        return NPERR_NO_ERROR;
      case kAppNameVariable: {
        size_t length = std::min(browser.m_appName.size(), kAppNameBufferSize - 1);
        memcpy(value, browser.m_appName.data(), length);
        static_cast<char*>(value)[length] = '\0';
        return NPERR_NO_ERROR;
      }
      default:
        return NPERR_GENERIC_ERROR;
    }
  }

  static NPError GetScriptObject(JSObjectRef object, void* value) {
    ScriptBridge* bridge = B().m_bridge;
    if (object == nullptr || bridge == nullptr) return NPERR_GENERIC_ERROR;
    *static_cast<NPObject**>(value) = bridge->NpObjectFor(object);
    return NPERR_NO_ERROR;
  }

  static NPError SetValue(NPP npp, NPPVariable variable, void*) {
    if (npp == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
    switch (variable) {
      case NPPVpluginWindowBool:  // windowless or not: nothing is drawn here
      case NPPVpluginTransparentBool:
      case NPPVpluginKeepLibraryInMemory:
        return NPERR_NO_ERROR;
      default:
        return NPERR_GENERIC_ERROR;
    }
  }

  static NPIdentifier GetStringIdentifier(const NPUTF8* name) {
    return name != nullptr ? StringIdentifier(name) : nullptr;
  }
  static void GetStringIdentifiers(const NPUTF8** names, int32_t count,
                                   NPIdentifier* identifiers) {
    if (names == nullptr || identifiers == nullptr) return;
    for (int32_t i = 0; i < count; ++i) identifiers[i] = GetStringIdentifier(names[i]);
  }
  static NPIdentifier GetIntIdentifier(int32_t value) { return IntIdentifier(value); }
  static bool IdentifierIsStringFn(NPIdentifier id) { return IdentifierIsString(id); }
  static NPUTF8* UTF8FromIdentifier(NPIdentifier id) {
    if (!IdentifierIsString(id)) return nullptr;
    std::string name = IdentifierName(id);
    auto* copy = static_cast<NPUTF8*>(MemAlloc(static_cast<uint32_t>(name.size() + 1)));
    if (copy != nullptr) memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
  }
  static int32_t IntFromIdentifier(NPIdentifier id) { return IdentifierInt(id); }

  static NPObject* CreateObject(NPP npp, NPClass* npclass) {
    return B().CreateObject(npp, npclass);
  }
  static NPObject* RetainObject(NPObject* object) { return Browser::RetainObject(object); }
  static void ReleaseObject(NPObject* object) { B().ReleaseObject(object); }

  static bool Invoke(NPP, NPObject* object, NPIdentifier name, const NPVariant* args,
                     uint32_t argCount, NPVariant* result) {
    SetVoid(result);
    return HasClassFunction(object) && object->_class->invoke != nullptr &&
           object->_class->invoke(object, name, args, argCount, result);
  }
  static bool InvokeDefault(NPP, NPObject* object, const NPVariant* args,
                            uint32_t argCount, NPVariant* result) {
    SetVoid(result);
    return HasClassFunction(object) && object->_class->invokeDefault != nullptr &&
           object->_class->invokeDefault(object, args, argCount, result);
  }
  static bool Evaluate(NPP npp, NPObject* object, NPString* script, NPVariant* result) {
    SetVoid(result);
    ScriptBridge* bridge = B().m_bridge;
    if (bridge == nullptr || script == nullptr || !B().OnMainThread() ||
        (npp != nullptr && !B().IsLiveInstance(npp))) {
      return false;
    }
    std::string text(script->UTF8Characters != nullptr ? script->UTF8Characters : "",
                     script->UTF8Characters != nullptr ? script->UTF8Length : 0);
    return bridge->Evaluate(object, text, result);
  }
  static bool GetProperty(NPP, NPObject* object, NPIdentifier name, NPVariant* result) {
    SetVoid(result);
    return HasClassFunction(object) && object->_class->getProperty != nullptr &&
           object->_class->getProperty(object, name, result);
  }
  static bool SetProperty(NPP, NPObject* object, NPIdentifier name,
                          const NPVariant* value) {
    return HasClassFunction(object) && object->_class->setProperty != nullptr &&
           object->_class->setProperty(object, name, value);
  }
  static bool RemoveProperty(NPP, NPObject* object, NPIdentifier name) {
    return HasClassFunction(object) && object->_class->removeProperty != nullptr &&
           object->_class->removeProperty(object, name);
  }
  static bool HasProperty(NPP, NPObject* object, NPIdentifier name) {
    return HasClassFunction(object) && object->_class->hasProperty != nullptr &&
           object->_class->hasProperty(object, name);
  }
  static bool HasMethod(NPP, NPObject* object, NPIdentifier name) {
    return HasClassFunction(object) && object->_class->hasMethod != nullptr &&
           object->_class->hasMethod(object, name);
  }

  static void ReleaseVariantValue(NPVariant* variant) {
    if (variant == nullptr) return;
    if (variant->type == NPVariantType_String) {
      MemFree(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
    } else if (variant->type == NPVariantType_Object) {
      ReleaseObject(variant->value.objectValue);
    }
    SetVoid(variant);
  }

  static void SetException(NPObject*, const NPUTF8* message) {
    ScriptBridge* bridge = B().m_bridge;
    if (bridge != nullptr && B().OnMainThread()) {
      bridge->SetPendingException(message != nullptr ? message : "plug-in exception");
    }
  }
  static bool Enumerate(NPP, NPObject* object, NPIdentifier** identifiers,
                        uint32_t* count) {
    return HasClassFunction(object) &&
           object->_class->structVersion >= NP_CLASS_STRUCT_VERSION_ENUM &&
           object->_class->enumerate != nullptr &&
           object->_class->enumerate(object, identifiers, count);
  }

  // Any thread: only queues. The call is dropped if its instance is gone by
  // the time the main loop reaches it.
  static void PluginThreadAsyncCall(NPP npp, NPPluginThreadCallback function,
                                    void* data) {
    if (function == nullptr) return;
    Browser* browser = &B();
    browser->m_loop.Post([browser, npp, function, data] {
      if (npp != nullptr && !browser->IsLiveInstance(npp)) return;
      ModuleCall call("async call", nullptr, npp);
      function(data);
    });
  }

  static bool Construct(NPP, NPObject* object, const NPVariant* args,
                        uint32_t argCount, NPVariant* result) {
    SetVoid(result);
    return HasClassFunction(object) &&
           object->_class->structVersion >= NP_CLASS_STRUCT_VERSION_CTOR &&
           object->_class->construct != nullptr &&
           object->_class->construct(object, args, argCount, result);
  }
};

Browser::Browser(TaskPoster& loop, LeakLedger& ledger)
    : m_loop(loop), m_ledger(ledger), m_mainThread(std::this_thread::get_id()) {
  gCurrent = this;
  using F = NpnFunctions;
  // Without network, streams and URLs are refused; nothing is drawn.
  m_funcs = NPNetscapeFuncs{
      static_cast<uint16_t>(sizeof(NPNetscapeFuncs)),
      static_cast<uint16_t>((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR),
      F::Refuse, F::Refuse, F::Refuse, F::Refuse, F::Write, F::Refuse, F::Nothing,
      F::UserAgent, F::MemAlloc, F::MemFree, F::Nothing, F::Nothing, F::Nothing,
      F::Nothing, F::Refuse, F::Refuse, F::GetValue, F::SetValue, F::Nothing,
      F::Nothing, F::Nothing, F::GetStringIdentifier, F::GetStringIdentifiers,
      F::GetIntIdentifier, F::IdentifierIsStringFn, F::UTF8FromIdentifier,
      F::IntFromIdentifier, F::CreateObject, F::RetainObject, F::ReleaseObject,
      F::Invoke, F::InvokeDefault, F::Evaluate, F::GetProperty, F::SetProperty,
      F::RemoveProperty, F::HasProperty, F::HasMethod, F::ReleaseVariantValue,
      F::SetException, F::Nothing, F::Nothing, F::Enumerate,
      F::PluginThreadAsyncCall, F::Construct, F::Refuse, F::Refuse, F::Refuse,
      F::Nothing, F::Nothing, F::Refuse, F::Nothing};
}

Browser::~Browser() {
  if (gCurrent == this) gCurrent = nullptr;
}

Browser& Browser::Current() { return *gCurrent; }

void Browser::SetAppIdentity(int32_t id, std::string name) {
  m_appId = id;
  m_appName = std::move(name);
}

JSObjectRef Browser::WindowScriptObject() const {
  return m_bridge != nullptr ? JSContextGetGlobalObject(m_bridge->Context()) : nullptr;
}

void Browser::InstanceCreated(NPP npp, JSObjectRef element) { m_instances[npp] = element; }

void Browser::InstanceDestroyed(NPP npp) { m_instances.erase(npp); }

bool Browser::IsLiveInstance(NPP npp) const { return m_instances.count(npp) != 0; }

NPObject* Browser::CreateObject(NPP npp, NPClass* npclass) {
  if (npclass == nullptr) return nullptr;
  NPObject* object = npclass->allocate != nullptr
                         ? npclass->allocate(npp, npclass)
                         : static_cast<NPObject*>(malloc(sizeof(NPObject)));
  if (object == nullptr) return nullptr;
  object->_class = npclass;
  object->referenceCount = 1;
  m_ledger.ObjectCreated(object);
  return object;
}

// Reference counts change atomically: the module takes references on the
// service thread too.
NPObject* Browser::RetainObject(NPObject* object) {
  if (object != nullptr) __atomic_add_fetch(&object->referenceCount, 1, __ATOMIC_RELAXED);
  return object;
}

void Browser::ReleaseObject(NPObject* object) {
  if (object == nullptr) return;
  // Every NPObject comes from NPN_CreateObject; any other is already gone.
  if (!m_ledger.IsLiveObject(object)) {
    m_ledger.NoteMisuse("NPN_ReleaseObject on an object that is not alive");
    return;
  }
  uint32_t count = __atomic_fetch_sub(&object->referenceCount, 1, __ATOMIC_ACQ_REL);
  if (count != 1) return;
  // Objects may run script when they go: that happens on the main thread.
  if (OnMainThread()) {
    Deallocate(object);
  } else {
    m_loop.Post([this, object] { Deallocate(object); });
  }
}

void Browser::Deallocate(NPObject* object) {
  m_ledger.ObjectDeallocated(object);
  NPClass* npclass = object->_class;
  if (npclass != nullptr && npclass->deallocate != nullptr) {
    npclass->deallocate(object);
  } else {
    free(object);
  }
}

}  // namespace npbrowser
