// The plug-in module as a browser loads it: dlopen, the four entry points,
// NP_Initialize with the browser's table and NP_Shutdown at the end.
#ifndef NPBROWSER_PLUGINMODULE_H
#define NPBROWSER_PLUGINMODULE_H

#include <set>
#include <string>

#include "npfunctions.h"

namespace npbrowser {

class PluginModule {
 public:
  PluginModule() = default;
  ~PluginModule();  // unloads the module
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // Each returns false with `error` set to a one-line reason.
  bool Load(const std::string& path, std::string* error);
  bool Initialize(NPNetscapeFuncs* browserFuncs, std::string* error);
  // NP_Shutdown, if NP_Initialize succeeded.
  void Shutdown();

  const NPPluginFuncs& Funcs() const { return m_funcs; }
  const std::string& MimeDescription() const { return m_mimeDescription; }
  // The types announced in the MIME description, and the streaming types
  // that the TV's browser also gives to this module.
  bool HandlesType(const std::string& type) const { return m_types.count(type) != 0; }

 private:
  void* m_handle = nullptr;
  NP_InitializeFunc m_initialize = nullptr;
  NP_ShutdownFunc m_shutdown = nullptr;
  NPPluginFuncs m_funcs{};
  bool m_initialized = false;
  std::string m_mimeDescription;
  std::set<std::string> m_types;
};

}  // namespace npbrowser

#endif  // NPBROWSER_PLUGINMODULE_H
