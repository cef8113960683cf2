// A minimal NPAPI plug-in for tvhost's own tests, independent of the AV
// object: its scriptable object reports how values arrive, calls script
// back from another thread, and leaks on request.
#include <cstring>
#include <string>
#include <thread>

#include "npfunctions.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

NPNetscapeFuncs* gBrowser = nullptr;

struct TestObject : NPObject {
  NPP npp;
};

struct Callback {
  NPP npp;
  NPObject* function;  // one reference
  std::string text;
};

bool Is(NPIdentifier id, const char* name) { return id == gBrowser->getstringidentifier(name); }

void ReturnString(const std::string& text, NPVariant* result) {
  auto* copy = static_cast<NPUTF8*>(gBrowser->memalloc(static_cast<uint32_t>(text.size() + 1)));
  memcpy(copy, text.c_str(), text.size() + 1);
  result->type = NPVariantType_String;
  result->value.stringValue = NPString{copy, static_cast<uint32_t>(text.size())};
}

// On the main thread: calls the function with the text, then forgets both.
void Deliver(void* data) {
  auto* callback = static_cast<Callback*>(data);
  NPVariant argument;
  NPVariant result;
  ReturnString(callback->text, &argument);
  gBrowser->invokeDefault(callback->npp, callback->function, &argument, 1, &result);
  gBrowser->releasevariantvalue(&argument);
  gBrowser->releasevariantvalue(&result);
  gBrowser->releaseobject(callback->function);
  delete callback;
}

NPObject* Allocate(NPP npp, NPClass*) {
  auto* object = new TestObject();
  object->npp = npp;
  return object;
}

void Deallocate(NPObject* object) { delete static_cast<TestObject*>(object); }

bool HasMethod(NPObject*, NPIdentifier name) {
  return Is(name, "typeOf") || Is(name, "leakBlock") || Is(name, "leakObject") ||
         Is(name, "callLater");
}

bool Invoke(NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t count,
            NPVariant* result) {
  static const char* const kTypeNames[] = {"void",   "null",   "bool",  "int32",
                                           "double", "string", "object"};
  if (Is(name, "typeOf") && count == 1 && args[0].type <= NPVariantType_Object) {
    ReturnString(kTypeNames[args[0].type], result);
  } else if (Is(name, "leakBlock")) {
    gBrowser->memalloc(16);
  } else if (Is(name, "leakObject") && count == 1 && args[0].type == NPVariantType_Object) {
    gBrowser->retainobject(args[0].value.objectValue);
  } else if (Is(name, "callLater") && count == 2 && args[0].type == NPVariantType_Object &&
             args[1].type == NPVariantType_String) {
    auto* callback = new Callback{static_cast<TestObject*>(object)->npp,
                                  gBrowser->retainobject(args[0].value.objectValue),
                                  std::string(args[1].value.stringValue.UTF8Characters,
                                              args[1].value.stringValue.UTF8Length)};
    std::thread([callback] {
      gBrowser->pluginthreadasynccall(callback->npp, Deliver, callback);
    }).join();
  } else {
    return false;
  }
  return true;
}

NPClass gClass = {NP_CLASS_STRUCT_VERSION, Allocate, Deallocate, nullptr, HasMethod, Invoke,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

NPError New(NPMIMEType, NPP npp, uint16_t, int16_t, char**, char**, NPSavedData*) {
  npp->pdata = gBrowser->createobject(npp, &gClass);
  return NPERR_NO_ERROR;
}

NPError Destroy(NPP npp, NPSavedData**) {
  gBrowser->releaseobject(static_cast<NPObject*>(npp->pdata));
  return NPERR_NO_ERROR;
}

NPError GetValue(NPP npp, NPPVariable variable, void* value) {
  if (npp == nullptr || variable != NPPVpluginScriptableNPObject) return NPERR_GENERIC_ERROR;
  *static_cast<NPObject**>(value) = gBrowser->retainobject(static_cast<NPObject*>(npp->pdata));
  return NPERR_NO_ERROR;
}

}  // namespace

EXPORT const char* NP_GetMIMEDescription() {
  return "application/x-tvhost-test::tvhost test plug-in";
}

EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser, NPPluginFuncs* plugin) {
  gBrowser = browser;
  plugin->newp = New;
  plugin->destroy = Destroy;
  plugin->getvalue = GetValue;
  return NPERR_NO_ERROR;
}

EXPORT NPError NP_Shutdown() { return NPERR_NO_ERROR; }

EXPORT NPError NP_GetValue(void*, NPPVariable, void*) { return NPERR_GENERIC_ERROR; }
