// The scriptable object: the class record the browser calls, its static
// trampolines, the base defaults, and the dispatch of script names through
// the script table.
#include <new>

#include "host/np_log.h"
#include "script/ScriptMembers.h"
#include "script/plugin.h"

namespace {

constexpr char kLogSource[] = "plugin";

ScriptablePluginObjectBase* ObjectOf(NPObject* npobj) {
  return static_cast<ScriptablePluginObjectBase*>(npobj);
}

// Runs one operation for the browser. A null object, or an exception from
// the operation (an allocation failing in the AV object), ends it with
// false: nothing is thrown back into the browser.
template <typename Operation>
bool Guarded(NPObject* npobj, Operation operation) {
  if (npobj == nullptr) return false;
  try {
    return operation(*ObjectOf(npobj));
  } catch (...) {
    return false;
  }
}

const NPClass kScriptablePluginObjectClass = {
    NP_CLASS_STRUCT_VERSION,
    ScriptablePluginObject::Allocate,
    ScriptablePluginObjectBase::_Deallocate,
    ScriptablePluginObjectBase::_Invalidate,
    ScriptablePluginObjectBase::_HasMethod,
    ScriptablePluginObjectBase::_Invoke,
    ScriptablePluginObjectBase::_InvokeDefault,
    ScriptablePluginObjectBase::_HasProperty,
    ScriptablePluginObjectBase::_GetProperty,
    ScriptablePluginObjectBase::_SetProperty,
    ScriptablePluginObjectBase::_RemoveProperty,
    ScriptablePluginObjectBase::_Enumerate,
    ScriptablePluginObjectBase::_Construct,
};

}  // namespace

// --- Base: the defaults and the trampolines ---------------------------------

ScriptablePluginObjectBase::ScriptablePluginObjectBase(NPP instance)
    : NPObject{nullptr, 0}, m_Instance(instance) {}

void ScriptablePluginObjectBase::Invalidate() {}
bool ScriptablePluginObjectBase::HasMethod(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::Invoke(NPIdentifier, const NPVariant*, uint32_t, NPVariant*) {
  return false;
}
bool ScriptablePluginObjectBase::InvokeDefault(const NPVariant*, uint32_t, NPVariant*) {
  return false;
}
bool ScriptablePluginObjectBase::HasProperty(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::GetProperty(NPIdentifier, NPVariant*) { return false; }
bool ScriptablePluginObjectBase::SetProperty(NPIdentifier, const NPVariant*) { return false; }
bool ScriptablePluginObjectBase::RemoveProperty(NPIdentifier) { return false; }
bool ScriptablePluginObjectBase::Enumerate(NPIdentifier**, uint32_t*) { return false; }
bool ScriptablePluginObjectBase::Construct(const NPVariant*, uint32_t, NPVariant*) { return false; }

CPlugin* ScriptablePluginObjectBase::LookUpPlugin() const {
  if (m_Instance == nullptr) return nullptr;
  CPlugin* plugin = static_cast<CPlugin*>(m_Instance->pdata);
  return plugin != nullptr && plugin->AVObject() != nullptr ? plugin : nullptr;
}

void ScriptablePluginObjectBase::_Deallocate(NPObject* npobj) {
  delete ObjectOf(npobj);  // null does nothing
}

void ScriptablePluginObjectBase::_Invalidate(NPObject* npobj) {
  Guarded(npobj, [](ScriptablePluginObjectBase& object) {
    object.Invalidate();
    return true;
  });
}

bool ScriptablePluginObjectBase::_HasMethod(NPObject* npobj, NPIdentifier name) {
  return Guarded(npobj, [&](ScriptablePluginObjectBase& object) { return object.HasMethod(name); });
}

bool ScriptablePluginObjectBase::_Invoke(NPObject* npobj, NPIdentifier name, const NPVariant* args,
                                         uint32_t argCount, NPVariant* result) {
  return Guarded(npobj, [&](ScriptablePluginObjectBase& object) {
    return object.Invoke(name, args, argCount, result);
  });
}

bool ScriptablePluginObjectBase::_InvokeDefault(NPObject* npobj, const NPVariant* args,
                                                uint32_t argCount, NPVariant* result) {
  return Guarded(npobj, [&](ScriptablePluginObjectBase& object) {
    return object.InvokeDefault(args, argCount, result);
  });
}

bool ScriptablePluginObjectBase::_HasProperty(NPObject* npobj, NPIdentifier name) {
  return Guarded(npobj,
                 [&](ScriptablePluginObjectBase& object) { return object.HasProperty(name); });
}

bool ScriptablePluginObjectBase::_GetProperty(NPObject* npobj, NPIdentifier name,
                                              NPVariant* result) {
  return Guarded(
      npobj, [&](ScriptablePluginObjectBase& object) { return object.GetProperty(name, result); });
}

bool ScriptablePluginObjectBase::_SetProperty(NPObject* npobj, NPIdentifier name,
                                              const NPVariant* value) {
  return Guarded(
      npobj, [&](ScriptablePluginObjectBase& object) { return object.SetProperty(name, value); });
}

bool ScriptablePluginObjectBase::_RemoveProperty(NPObject* npobj, NPIdentifier name) {
  return Guarded(npobj,
                 [&](ScriptablePluginObjectBase& object) { return object.RemoveProperty(name); });
}

bool ScriptablePluginObjectBase::_Enumerate(NPObject* npobj, NPIdentifier** identifiers,
                                            uint32_t* count) {
  return Guarded(npobj, [&](ScriptablePluginObjectBase& object) {
    return object.Enumerate(identifiers, count);
  });
}

bool ScriptablePluginObjectBase::_Construct(NPObject* npobj, const NPVariant* args,
                                            uint32_t argCount, NPVariant* result) {
  return Guarded(npobj, [&](ScriptablePluginObjectBase& object) {
    return object.Construct(args, argCount, result);
  });
}

// --- The AV object's script interface ---------------------------------------

NPClass* ScriptablePluginObject::Class() {
  // The browser takes a non-const record but never writes it.
  return const_cast<NPClass*>(&kScriptablePluginObjectClass);
}

NPObject* ScriptablePluginObject::Allocate(NPP instance, NPClass*) {
  return new (std::nothrow) ScriptablePluginObject(instance);
}

bool ScriptablePluginObject::HasMethod(NPIdentifier name) {
  const script::ScriptMember* member = script::FindScriptMember(name);
  return IsAttached() && member != nullptr && member->kind == script::ScriptMember::kMethod;
}

bool ScriptablePluginObject::HasProperty(NPIdentifier name) {
  const script::ScriptMember* member = script::FindScriptMember(name);
  return IsAttached() && member != nullptr && member->kind == script::ScriptMember::kProperty;
}

bool ScriptablePluginObject::InvokeDefault(const NPVariant*, uint32_t, NPVariant*) {
  // Calling the element itself yields the browser's default (void) result.
  return IsAttached();
}

bool ScriptablePluginObject::Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                                    NPVariant* result) {
  CPlugin* plugin = LookUpPlugin();
  if (plugin == nullptr || result == nullptr) return false;
  if (argCount > 0 && args == nullptr) return false;
  const script::ScriptMember* member = script::FindScriptMember(name);
  if (member == nullptr || member->invoke == nullptr) return false;
  script::ScriptTarget target{*plugin, *plugin->AVObject()};
  return member->invoke(target, args, argCount, result);
}

bool ScriptablePluginObject::GetProperty(NPIdentifier name, NPVariant* result) {
  CPlugin* plugin = LookUpPlugin();
  if (plugin == nullptr || result == nullptr) return false;
  result->type = NPVariantType_Void;
  const script::ScriptMember* member = script::FindScriptMember(name);
  if (member == nullptr || member->get == nullptr) return false;
  script::ScriptTarget target{*plugin, *plugin->AVObject()};
  return member->get(target, result);
}

bool ScriptablePluginObject::SetProperty(NPIdentifier name, const NPVariant* value) {
  NPLOG(nplog::kTrace, "ScriptablePluginObject::SetProperty");
  CPlugin* plugin = LookUpPlugin();
  if (plugin == nullptr || value == nullptr) return false;
  const script::ScriptMember* member = script::FindScriptMember(name);
  if (member == nullptr || member->set == nullptr) return false;
  script::ScriptTarget target{*plugin, *plugin->AVObject()};
  return member->set(target, *value);
}
