// The instance lifecycle gate: creating, querying and destroying the
// plug-in instance of each page element. Streams, printing and events do no
// work: media goes to the platform's player service, not through the
// browser.
#include "host/npp_gate.h"

#include <cstring>
#include <memory>

#include "host/np_log.h"
#include "script/plugin.h"

using NSPlRuvoAVObject::COMPONENT_TYPE;

namespace {

constexpr char kLogSource[] = "npp_gate";
constexpr char kPluginName[] = "RuvoAVObject";
constexpr char kPluginDescription[] = "ZTQ_RuvoAVObject_Plugin";
// What NPP_WriteReady answers: as much as the browser wants, or 2 bytes for
// no instance.
constexpr int32_t kWriteReadyBytes = 0x0FFFFFFF;
constexpr int32_t kWriteReadyNoInstance = 2;

// The streaming component of a MIME type, matched exactly.
COMPONENT_TYPE ComponentTypeFor(const char* mimeType) {
  static const struct {
    const char* mimeType;
    COMPONENT_TYPE type;
  } kComponents[] = {
      {"application/dash+xml", NSPlRuvoAVObject::eCOMPONENT_HAS},
      {"application/vnd.apple.mpegurl", NSPlRuvoAVObject::eCOMPONENT_HLS},
      {"application/vnd.apple.mpegurl.audio", NSPlRuvoAVObject::eCOMPONENT_HLS},
  };
  if (mimeType == nullptr) return NSPlRuvoAVObject::eCOMPONENT_OTHER;
  for (const auto& component : kComponents) {
    if (strcmp(mimeType, component.mimeType) == 0) return component.type;
  }
  return NSPlRuvoAVObject::eCOMPONENT_OTHER;
}

CPlugin* PluginOf(NPP instance) { return static_cast<CPlugin*>(instance->pdata); }

// The browser functions an instance cannot live without. A table whose
// declared size ends before them leaves them null (a slot past that size is
// never read), and no instance is created on such a table. NPN_InvokeDefault
// is not among them: only a callback registered as a function object needs
// it, and such a callback is dropped with a log line where it is missing.
bool BrowserOffersInstanceFunctions() {
  const NPNetscapeFuncs& f = NPNFuncs;
  return f.memalloc != nullptr && f.memfree != nullptr && f.getvalue != nullptr &&
         f.setvalue != nullptr && f.getstringidentifier != nullptr &&
         f.createobject != nullptr && f.retainobject != nullptr &&
         f.releaseobject != nullptr && f.evaluate != nullptr && f.releasevariantvalue != nullptr;
}

}  // namespace

NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t, int16_t argc, char** argn,
                char** argv, NPSavedData*) {
  NPLOG_ENTRY();
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  if (!BrowserOffersInstanceFunctions()) return NPERR_INVALID_FUNCTABLE_ERROR;
  // Out of memory, out of threads, or a browser function that threw: no
  // instance, nothing kept, and nothing thrown into the browser.
  try {
    auto plugin = std::make_unique<CPlugin>(instance);
    plugin->InitParams(argc, argn, argv);
    NPLOG(nplog::kInfo, "bexoli RuvoAVObject pluginType = [%s]",
          pluginType != nullptr ? pluginType : "");
    plugin->SetComponentType(ComponentTypeFor(pluginType));
    instance->pdata = plugin.release();
  } catch (...) {
    return NPERR_OUT_OF_MEMORY_ERROR;
  }
  // Windowless: the video is drawn by the platform, not into a window.
  NPNFuncs.setvalue(instance, NPPVpluginWindowBool, nullptr);
  return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData**) {
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  CPlugin* plugin = PluginOf(instance);
  if (plugin != nullptr) {
    plugin->shut();
    delete plugin;  // the browser discards the handle and its pdata
  }
  return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window) {
  NPLOG_ENTRY();
  if (instance == nullptr) return NPERR_INVALID_INSTANCE_ERROR;
  if (window == nullptr) return NPERR_GENERIC_ERROR;
  CPlugin* plugin = PluginOf(instance);
  if (plugin == nullptr) return NPERR_GENERIC_ERROR;
  // Only the first native window counts; the video area follows the
  // element's parameters and script, never the window's rectangle.
  if (!plugin->isInitialized() && window->window != nullptr) plugin->init(window);
  return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t*) {
  NPLOG_ENTRY();
  return instance == nullptr ? NPERR_INVALID_INSTANCE_ERROR : NPERR_NO_ERROR;
}

NPError NPP_DestroyStream(NPP instance, NPStream*, NPReason) {
  return instance == nullptr ? NPERR_INVALID_INSTANCE_ERROR : NPERR_NO_ERROR;
}

void NPP_StreamAsFile(NPP, NPStream*, const char*) {}

int32_t NPP_WriteReady(NPP instance, NPStream*) {
  return instance == nullptr ? kWriteReadyNoInstance : kWriteReadyBytes;
}

void NPP_Print(NPP, NPPrint*) {}

int16_t NPP_HandleEvent(NPP instance, void* event) {
  if (instance == nullptr || instance->pdata == nullptr) return 0;
  return PluginOf(instance)->handleEvent(event);
}

void NPP_URLNotify(NPP, const char*, NPReason, void*) {}

NPError NPP_GetValue(NPP instance, NPPVariable variable, void* value) {
  if (instance == nullptr) {
    NPLOG(nplog::kMustNotHappen, " ");
    return NPERR_GENERIC_ERROR;
  }
  // A null out-pointer would be written through below: an error instead of
  // a crash.
  if (value == nullptr) return NPERR_GENERIC_ERROR;
  switch (variable) {
    case NPPVpluginNameString:
      *static_cast<const char**>(value) = kPluginName;
      return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
      *static_cast<const char**>(value) = kPluginDescription;
      return NPERR_NO_ERROR;
    case NPPVpluginNeedsXEmbed:
      *static_cast<NPBool*>(value) = 1;  // exactly one byte
      return NPERR_NO_ERROR;
    case NPPVpluginScriptableNPObject: {
      CPlugin* plugin = PluginOf(instance);
      if (plugin == nullptr) return NPERR_GENERIC_ERROR;
      *static_cast<NPObject**>(value) = plugin->GetScriptableObject();
      return NPERR_NO_ERROR;
    }
    default:
      return NPERR_GENERIC_ERROR;
  }
}
