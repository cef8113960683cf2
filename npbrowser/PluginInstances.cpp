#include "PluginInstances.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Browser.h"
#include "Element.h"
#include "ModuleCalls.h"
#include "ProgramName.h"
#include "PluginModule.h"
#include "ScriptBridge.h"

namespace npbrowser {

namespace {

uint32_t SizeAttribute(const Element& element, const char* name, uint32_t fallback) {
  const std::string* value = element.Attribute(name);
  long size = value != nullptr ? strtol(value->c_str(), nullptr, 10) : 0;
  return size > 0 && size < 65536 ? static_cast<uint32_t>(size) : fallback;
}

// How a stuck call names the instance: by the element's id, else by its
// place among the page's plug-in elements.
std::string PlaceName(const Element& element, size_t index) {
  const std::string* id = element.Attribute("id");
  if (id != nullptr && !id->empty()) return "element #" + *id;
  return "plug-in element " + std::to_string(index + 1);
}

}  // namespace

PluginInstances::PluginInstances(PluginModule& module, Browser& browser, ScriptBridge& bridge)
    : m_module(module), m_browser(browser), m_bridge(bridge) {}

PluginInstances::~PluginInstances() { DestroyAll(); }

JSObjectRef PluginInstances::Create(const Element& element, const std::string& type) {
  auto instance = std::make_unique<Instance>();
  NPP npp = &instance->npp;
  npp->ndata = instance.get();

  // The module gets its own writable copies of the attributes.
  std::vector<std::string> names;
  std::vector<std::string> values;
  for (const auto& attribute : element.attributes) {
    names.push_back(attribute.first);
    values.push_back(attribute.second);
  }
  std::vector<char*> argn;
  std::vector<char*> argv;
  for (size_t i = 0; i < names.size(); ++i) {
    argn.push_back(&names[i][0]);
    argv.push_back(&values[i][0]);
  }
  std::string mimeType = type;
  // Live before NPP_New: the module evaluates script while it is created.
  m_browser.InstanceCreated(npp, nullptr);
  std::string place = PlaceName(element, m_created++);
  NameModulePlace(npp, place);
  NameModulePlace(&element, place);
  NPError error;
  {
    ModuleCall call("NPP_New", nullptr, npp);
    error = m_module.Funcs().newp(&mimeType[0], npp, NP_EMBED,
                                  static_cast<int16_t>(argn.size()), argn.data(),
                                  argv.data(), nullptr);
  }
  if (error != NPERR_NO_ERROR) {
    m_browser.InstanceDestroyed(npp);
    ForgetModulePlace(npp);
    ForgetModulePlace(&element);
    const std::string* id = element.Attribute("id");
    fprintf(stderr, "%sNPP_New failed for <object id=\"%s\">: error %d\n", MessagePrefix().c_str(),
            id != nullptr ? id->c_str() : "", error);
    return nullptr;
  }

  uint32_t width = SizeAttribute(element, "width", 300);
  uint32_t height = SizeAttribute(element, "height", 150);
  // Headless: the native window is a token, never drawn into.
  instance->window.window = reinterpret_cast<void*>(0x1000 + m_instances.size());
  instance->window.width = width;
  instance->window.height = height;
  instance->window.clipRect = NPRect{0, 0, static_cast<uint16_t>(height),
                                     static_cast<uint16_t>(width)};
  instance->window.type = NPWindowTypeDrawable;
  if (m_module.Funcs().setwindow != nullptr) {
    ModuleCall call("NPP_SetWindow", nullptr, npp);
    m_module.Funcs().setwindow(npp, &instance->window);
  }

  NPObject* scriptable = nullptr;
  {
    ModuleCall call("NPP_GetValue", nullptr, npp);
    if (m_module.Funcs().getvalue(npp, NPPVpluginScriptableNPObject, &scriptable) !=
        NPERR_NO_ERROR) {
      scriptable = nullptr;
    }
  }
  instance->element = &element;
  JSObjectRef object = m_bridge.Wrap(scriptable, &element);
  if (scriptable != nullptr) m_browser.ReleaseObject(scriptable);  // the wrapper has its own
  m_browser.InstanceCreated(npp, object);
  m_instances.push_back(std::move(instance));
  return object;
}

void PluginInstances::DestroyAll() {
  for (auto& instance : m_instances) DestroyInstance(*instance);
  m_instances.clear();
}

bool PluginInstances::Destroy(const Element& element) {
  for (auto it = m_instances.begin(); it != m_instances.end(); ++it) {
    if ((*it)->element != &element) continue;
    DestroyInstance(**it);
    m_instances.erase(it);
    return true;
  }
  return false;
}

void PluginInstances::DestroyInstance(Instance& instance) {
  NPSavedData* saved = nullptr;
  {
    ModuleCall call("NPP_Destroy", nullptr, &instance.npp);
    m_module.Funcs().destroy(&instance.npp, &saved);
  }
  if (saved != nullptr) {
    m_browser.Funcs()->memfree(saved->buf);
    m_browser.Funcs()->memfree(saved);
  }
  m_browser.InstanceDestroyed(&instance.npp);
  ForgetModulePlace(&instance.npp);
  ForgetModulePlace(instance.element);
}

}  // namespace npbrowser
