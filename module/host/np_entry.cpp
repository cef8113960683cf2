// Module entry: the browser's function table copy, and the entry points
// through which the browser loads the module.
#include "host/np_entry.h"

#include <cstddef>

#include "host/np_log.h"
#include "host/npp_gate.h"

namespace {

constexpr char kLogSource[] = "np_entry";

constexpr char kMIMEDescription[] = "application/x-ruvo-avobject::video/vnd.dlna.mpeg-tts";
// The smallest browser table accepted: one that reaches convertpoint on the
// TV's 32-bit processor.
constexpr uint16_t kMinimumBrowserTableSize = 212;
// What the module declares in the plug-in table: the 32-bit size of a
// table through getsiteswithdata, and API version 0.24.
constexpr uint16_t kPluginTableSize = 80;
constexpr uint16_t kPluginTableVersion = (0 << 8) | 24;

// Copies each named slot of the browser's table that lies wholly within the
// size the browser declared. A slot beyond it is not read and stays null:
// on 64-bit builds a table of 212 bytes ends long before convertpoint.
template <typename... Slots>
void CopyDeclaredSlots(const NPNetscapeFuncs& from, NPNetscapeFuncs& to, Slots... slots) {
  const auto* base = reinterpret_cast<const char*>(&from);
  auto copy = [&](auto slot) {
    const auto* field = reinterpret_cast<const char*>(&(from.*slot));
    const size_t end = static_cast<size_t>(field - base) + sizeof(from.*slot);
    if (end <= from.size) to.*slot = from.*slot;
  };
  (copy(slots), ...);
}

// The part of the browser's table the module uses: geturl through
// setexception, and pluginthreadasynccall. The rest stays null.
NPNetscapeFuncs CopyBrowserTable(const NPNetscapeFuncs& browser) {
  using F = NPNetscapeFuncs;
  NPNetscapeFuncs table{};
  table.size = browser.size;
  table.version = browser.version;
  CopyDeclaredSlots(
      browser, table, &F::geturl, &F::posturl, &F::requestread, &F::newstream, &F::write,
      &F::destroystream, &F::status, &F::uagent, &F::memalloc, &F::memfree, &F::memflush,
      &F::reloadplugins, &F::getJavaEnv, &F::getJavaPeer, &F::geturlnotify, &F::posturlnotify,
      &F::getvalue, &F::setvalue, &F::invalidaterect, &F::invalidateregion, &F::forceredraw,
      &F::getstringidentifier, &F::getstringidentifiers, &F::getintidentifier,
      &F::identifierisstring, &F::utf8fromidentifier, &F::intfromidentifier, &F::createobject,
      &F::retainobject, &F::releaseobject, &F::invoke, &F::invokeDefault, &F::evaluate,
      &F::getproperty, &F::setproperty, &F::removeproperty, &F::hasproperty, &F::hasmethod,
      &F::releasevariantvalue, &F::setexception, &F::pluginthreadasynccall);
  return table;
}

// Registers the instance entry points. Every other slot stays as the
// browser passed it.
void FillPluginTable(NPPluginFuncs& table) {
  table.size = kPluginTableSize;
  table.version = kPluginTableVersion;
  table.newp = NPP_New;
  table.destroy = NPP_Destroy;
  table.setwindow = NPP_SetWindow;
  table.newstream = NPP_NewStream;
  table.destroystream = NPP_DestroyStream;
  table.asfile = NPP_StreamAsFile;
  table.writeready = NPP_WriteReady;
  table.print = NPP_Print;
  table.event = NPP_HandleEvent;
  table.urlnotify = NPP_URLNotify;
  table.getvalue = NPP_GetValue;
}

}  // namespace

__attribute__((visibility("default"))) NPNetscapeFuncs NPNFuncs = {};

NP_EXPORT(NPError) NP_Initialize(NPNetscapeFuncs* browserFuncs, NPPluginFuncs* pluginFuncs) {
  NPLOG(nplog::kTrace, "Start NP_Initialize");
  if (browserFuncs == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((browserFuncs->version >> 8) != NP_VERSION_MAJOR) {
    return NPERR_INCOMPATIBLE_VERSION_ERROR;
  }
  if (browserFuncs->size < kMinimumBrowserTableSize) {
    return NPERR_INVALID_FUNCTABLE_ERROR;
  }
  // Without a table to fill the browser could never reach an instance, and
  // filling a null one would crash: an error instead.
  if (pluginFuncs == nullptr) return NPERR_INVALID_FUNCTABLE_ERROR;
  NPNFuncs = CopyBrowserTable(*browserFuncs);
  FillPluginTable(*pluginFuncs);
  NPP_Initialize();
  NPLOG(nplog::kTrace, "End NP_Initialize\n");
  return NPERR_NO_ERROR;
}

NP_EXPORT(NPError) NP_Shutdown(void) {
  // Every instance is gone by now, and nothing module-wide is held.
  NPLOG(nplog::kTrace, "NP_Shutdown\n");
  return NPERR_NO_ERROR;
}

NP_EXPORT(NPError) NP_GetValue(void* future, NPPVariable variable, void* value) {
  return NPP_GetValue(static_cast<NPP>(future), variable, value);
}

NP_EXPORT(const char*) NP_GetMIMEDescription(void) { return NPP_GetMIMEDescription(); }

NP_EXPORT(NPError) NPP_Initialize(void) { return NPERR_NO_ERROR; }

NP_EXPORT(void) NPP_Shutdown(void) {}

NP_EXPORT(const char*) NPP_GetMIMEDescription(void) { return kMIMEDescription; }
