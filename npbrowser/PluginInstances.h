// One plug-in instance per <object> element of the module's types: NPP_New
// with the element's attributes, a first NPP_SetWindow, the scriptable
// object, and NPP_Destroy at the end.
#ifndef NPBROWSER_PLUGININSTANCES_H
#define NPBROWSER_PLUGININSTANCES_H

#include <JavaScriptCore/JavaScript.h>

#include <memory>
#include <string>
#include <vector>

#include "npfunctions.h"

namespace npbrowser {

class Browser;
class PluginModule;
class ScriptBridge;
struct Element;

class PluginInstances {
 public:
  PluginInstances(PluginModule& module, Browser& browser, ScriptBridge& bridge);
  ~PluginInstances();  // destroys what is left
  PluginInstances(const PluginInstances&) = delete;
  PluginInstances& operator=(const PluginInstances&) = delete;

  // The element's script object: the module's scriptable object with the
  // element behind it. Null when NPP_New failed.
  JSObjectRef Create(const Element& element, const std::string& type);
  // NPP_Destroy for every instance, in document order.
  void DestroyAll();
  // NPP_Destroy for the instance of an element that left the page; false if
  // it has none.
  bool Destroy(const Element& element);
  size_t Count() const { return m_instances.size(); }

 private:
  struct Instance {
    NPP_t npp{};
    NPWindow window{};
    const Element* element = nullptr;
  };

  void DestroyInstance(Instance& instance);

  PluginModule& m_module;
  Browser& m_browser;
  ScriptBridge& m_bridge;
  std::vector<std::unique_ptr<Instance>> m_instances;
  size_t m_created = 0;  // NPP_New calls, failed ones too
};

}  // namespace npbrowser

#endif  // NPBROWSER_PLUGININSTANCES_H
