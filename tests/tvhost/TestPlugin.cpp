// A minimal NPAPI plug-in for tvhost's own tests, independent of the AV
// object: it tells how numbers arrive, calls script back through the async
// call queue, leaks a reference and never returns on request. One instance
// per page.
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "npfunctions.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

NPNetscapeFuncs* gBrowser = nullptr;
NPP gInstance = nullptr;
std::vector<NPObject*> gWaiting;  // the references of calls not yet run

bool Is(NPIdentifier id, const char* name) { return id == gBrowser->getstringidentifier(name); }

// On the main thread: calls the function, then drops the reference callLater took.
void CallAndRelease(void* data) {
  auto* function = static_cast<NPObject*>(data);
  gWaiting.erase(std::find(gWaiting.begin(), gWaiting.end(), function));
  NPVariant result;
  gBrowser->invokeDefault(gInstance, function, nullptr, 0, &result);
  gBrowser->releasevariantvalue(&result);
  gBrowser->releaseobject(function);
}

bool HasMethod(NPObject*, NPIdentifier name) {
  return Is(name, "typeOf") || Is(name, "echo") || Is(name, "leakObject") ||
         Is(name, "callLater") || Is(name, "hang");
}

// typeOf(x): the NPVariantType x arrived as, for a string 1000 times that
// plus its length in UTF-8 bytes. echo(x): x as it arrived. leakObject(o):
// a reference on o never given back. callLater(f): f is called with no
// arguments from the async call queue. hang(): blocks until the process
// ends.
bool Invoke(NPObject*, NPIdentifier name, const NPVariant* args, uint32_t count,
            NPVariant* result) {
  bool objectArgument = count == 1 && args[0].type == NPVariantType_Object;
  if (Is(name, "typeOf") && count == 1) {
    result->type = NPVariantType_Int32;
    result->value.intValue = args[0].type;
    if (args[0].type == NPVariantType_String) {
      result->value.intValue = args[0].type * 1000 + args[0].value.stringValue.UTF8Length;
    }
  } else if (Is(name, "echo") && count == 1) {
    *result = args[0];
    if (args[0].type == NPVariantType_Object) gBrowser->retainobject(args[0].value.objectValue);
    if (args[0].type == NPVariantType_String) {
      const NPString& text = args[0].value.stringValue;
      auto* copy = static_cast<NPUTF8*>(gBrowser->memalloc(text.UTF8Length));
      std::copy_n(text.UTF8Characters, text.UTF8Length, copy);
      result->value.stringValue = NPString{copy, text.UTF8Length};
    }
  } else if (Is(name, "leakObject") && objectArgument) {
    gBrowser->retainobject(args[0].value.objectValue);
  } else if (Is(name, "callLater") && objectArgument) {
    NPObject* function = gBrowser->retainobject(args[0].value.objectValue);
    gWaiting.push_back(function);
    gBrowser->pluginthreadasynccall(gInstance, CallAndRelease, function);
  } else if (Is(name, "hang")) {
    for (;;) pause();
  } else {
    return false;
  }
  return true;
}

NPClass gClass = {NP_CLASS_STRUCT_VERSION, nullptr, nullptr, nullptr, HasMethod, Invoke,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

NPError New(NPMIMEType, NPP npp, uint16_t, int16_t, char**, char**, NPSavedData*) {
  gInstance = npp;
  return NPERR_NO_ERROR;
}

// Calls still queued are dropped with the instance: their references go here.
NPError Destroy(NPP, NPSavedData**) {
  for (NPObject* function : gWaiting) gBrowser->releaseobject(function);
  gWaiting.clear();
  return NPERR_NO_ERROR;
}

// The host asks once per instance and keeps the only reference.
NPError GetValue(NPP npp, NPPVariable variable, void* value) {
  if (npp == nullptr || variable != NPPVpluginScriptableNPObject) return NPERR_GENERIC_ERROR;
  *static_cast<NPObject**>(value) = gBrowser->createobject(npp, &gClass);
  return NPERR_NO_ERROR;
}

}  // namespace

EXPORT const char* NP_GetMIMEDescription() { return "application/x-tvhost-test::test plug-in"; }

EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser, NPPluginFuncs* plugin) {
  gBrowser = browser;
  plugin->newp = New;
  plugin->destroy = Destroy;
  plugin->getvalue = GetValue;
  return NPERR_NO_ERROR;
}

EXPORT NPError NP_Shutdown() { return NPERR_NO_ERROR; }

EXPORT NPError NP_GetValue(void*, NPPVariable, void*) { return NPERR_GENERIC_ERROR; }
