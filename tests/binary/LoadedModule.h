// The built module, loaded as a browser loads it: once, with RTLD_NOW, and
// reached only through the symbols it exports.
#ifndef TESTS_BINARY_LOADEDMODULE_H
#define TESTS_BINARY_LOADEDMODULE_H

#include <dlfcn.h>

#include <string>

#include "PluginHostTest.h"
#include "npfunctions.h"

namespace plugintest {

class LoadedModule {
 public:
  static LoadedModule& Get() {
    static LoadedModule module;
    return module;
  }

  bool Loaded() const { return m_handle != nullptr; }
  const std::string& Error() const { return m_error; }

  // A symbol of the module; null when it has none (or did not load).
  template <typename T>
  T Symbol(const char* name) const {
    return m_handle != nullptr ? reinterpret_cast<T>(dlsym(m_handle, name)) : nullptr;
  }

 private:
  LoadedModule() : m_handle(dlopen(RUVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (m_handle == nullptr) m_error = dlerror();
  }

  void* m_handle;
  std::string m_error;
};

// A page whose elements are served by the built module.
class BinaryTest : public PluginHostTest {
 protected:
  NP_InitializeFunc Entry() override {
    return LoadedModule::Get().Symbol<NP_InitializeFunc>("NP_Initialize");
  }
};

}  // namespace plugintest

#endif  // TESTS_BINARY_LOADEDMODULE_H
