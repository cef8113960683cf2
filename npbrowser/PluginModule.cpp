#include "PluginModule.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "ModuleCalls.h"

namespace npbrowser {

namespace {

const char* const kStreamingTypes[] = {"application/dash+xml",
                                       "application/vnd.apple.mpegurl",
                                       "application/vnd.apple.mpegurl.audio"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

// "type:extensions:description;..." gives its types.
std::set<std::string> TypesOf(const std::string& description) {
  std::set<std::string> types;
  std::istringstream entries(description);
  std::string entry;
  while (std::getline(entries, entry, ';')) {
    std::string type = Lower(entry.substr(0, entry.find(':')));
    if (!type.empty()) types.insert(type);
  }
  return types;
}

}  // namespace

PluginModule::~PluginModule() {
  if (m_handle != nullptr) dlclose(m_handle);
}

bool PluginModule::Load(const std::string& path, std::string* error) {
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    *error = dlerror();
    return false;
  }
  m_initialize = reinterpret_cast<NP_InitializeFunc>(dlsym(m_handle, "NP_Initialize"));
  m_shutdown = reinterpret_cast<NP_ShutdownFunc>(dlsym(m_handle, "NP_Shutdown"));
  auto describe = reinterpret_cast<NP_GetMIMEDescriptionFunc>(
      dlsym(m_handle, "NP_GetMIMEDescription"));
  if (m_initialize == nullptr || m_shutdown == nullptr || describe == nullptr ||
      dlsym(m_handle, "NP_GetValue") == nullptr) {
    *error = "not an NPAPI plug-in module (an NP_ entry point is missing)";
    return false;
  }
  const char* description = describe();
  m_mimeDescription = description != nullptr ? description : "";
  m_types = TypesOf(m_mimeDescription);
  if (m_types.empty()) {
    *error = "the module announces no MIME type";
    return false;
  }
  m_types.insert(std::begin(kStreamingTypes), std::end(kStreamingTypes));
  return true;
}

bool PluginModule::Initialize(NPNetscapeFuncs* browserFuncs, std::string* error) {
  m_funcs = NPPluginFuncs{};
  m_funcs.size = sizeof(NPPluginFuncs);
  NPError result;
  {
    ModuleCall call("NP_Initialize", nullptr, nullptr);
    result = m_initialize(browserFuncs, &m_funcs);
  }
  if (result != NPERR_NO_ERROR) {
    *error = "NP_Initialize failed with error " + std::to_string(result);
    return false;
  }
  if (m_funcs.newp == nullptr || m_funcs.destroy == nullptr || m_funcs.getvalue == nullptr) {
    ModuleCall call("NP_Shutdown", nullptr, nullptr);
    m_shutdown();
    *error = "NP_Initialize left NPP_New, NPP_Destroy or NPP_GetValue unset";
    return false;
  }
  m_initialized = true;
  return true;
}

void PluginModule::Shutdown() {
  if (m_initialized) {
    ModuleCall call("NP_Shutdown", nullptr, nullptr);
    m_shutdown();
  }
  m_initialized = false;
}

}  // namespace npbrowser
