// A page that embeds plug-in elements, as a browser holds it, and the script
// it runs through each element's NPClass. The module is the built one, loaded
// as a browser loads it, where RUVO_PLUGIN_PATH names it; else the linked one.
#ifndef TESTS_MODULE_PLUGINHOSTTEST_H
#define TESTS_MODULE_PLUGINHOSTTEST_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TestBrowser.h"
#include "TestServices.h"
#include "Transcript.h"
#include "npfunctions.h"
#include "zor/ScriptedService.h"
#ifdef RUVO_PLUGIN_PATH
#include <dlfcn.h>
#else
#include "host/np_entry.h"
#endif

namespace plugintest {

#ifdef RUVO_PLUGIN_PATH
// A symbol of the built module, loaded once with RTLD_NOW; null when it has
// none (or did not load).
inline void* ModuleHandle() {
  static void* const handle = dlopen(RUVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  return handle;
}
template <typename T>
T Exported(const char* name) {
  return ModuleHandle() ? reinterpret_cast<T>(dlsym(ModuleHandle(), name)) : nullptr;
}
inline NP_InitializeFunc ModuleInitialize() { return Exported<NP_InitializeFunc>("NP_Initialize"); }
#else
inline NP_InitializeFunc ModuleInitialize() { return NP_Initialize; }
#endif

// Script values. Strings point at the caller's text: arguments belong to the
// browser and are never released by the plug-in.
using Value = decltype(NPVariant::value);
template <typename T = bool>
NPVariant Of(NPVariantType type, T Value::*field = nullptr, T v = {}) {
  NPVariant r{};
  r.type = type;
  if (field != nullptr) r.value.*field = v;
  return r;
}
inline NPVariant Null() { return Of(NPVariantType_Null); }
inline NPVariant Int(int32_t v) { return Of(NPVariantType_Int32, &Value::intValue, v); }
inline NPVariant Double(double v) { return Of(NPVariantType_Double, &Value::doubleValue, v); }
inline NPVariant Bool(bool v) { return Of(NPVariantType_Bool, &Value::boolValue, v); }
inline NPVariant Object(NPObject* o) { return Of(NPVariantType_Object, &Value::objectValue, o); }
inline NPVariant String(const char* text) {
  return Of(NPVariantType_String, &Value::stringValue, {text, static_cast<uint32_t>(strlen(text))});
}

// How a result reads in a test's expectations.
inline std::string ObjectText(NPObject* object) {
  return "object:" + std::to_string(reinterpret_cast<uintptr_t>(object));
}

// Page script as the browser runs it against one element; it releases every
// result as the browser would.
class PageScript {
 public:
  PageScript(testbrowser::TestBrowser& browser, NPObject* element)
      : m_browser(browser), m_element(element), m_class(*element->_class) {}

  bool HasMethod(const char* name) { return m_class.hasMethod(m_element, Id(name)); }
  bool HasProperty(const char* name) { return m_class.hasProperty(m_element, Id(name)); }
  // "false" when the call failed; otherwise the result as "void", "int:N",
  // "str:TEXT", "object:ADDRESS" or "type:T". The method "" is the element
  // called as a function.
  std::string Invoke(const char* method, std::vector<NPVariant> args = {}) {
    NPVariant result = Of(NPVariantType_Void);
    const auto n = static_cast<uint32_t>(args.size());
    return Outcome(*method ? m_class.invoke(m_element, Id(method), args.data(), n, &result)
                           : m_class.invokeDefault(m_element, args.data(), n, &result),
                   result);
  }
  std::string Get(const char* property) {
    NPVariant result = Int(-12345);  // must be overwritten on success
    return Outcome(m_class.getProperty(m_element, Id(property), &result), result);
  }
  bool Set(const char* property, const NPVariant& value) {
    return m_class.setProperty(m_element, Id(property), &value);
  }

 private:
  NPIdentifier Id(const char* name) { return m_browser.Table().getstringidentifier(name); }
  std::string Outcome(bool ok, NPVariant& result) {
    if (!ok) return "false";
    const Value& v = result.value;
    std::string text = "type:" + std::to_string(result.type);
    if (result.type == NPVariantType_Void) text = "void";
    if (result.type == NPVariantType_Int32) text = "int:" + std::to_string(v.intValue);
    if (result.type == NPVariantType_Object) text = ObjectText(v.objectValue);
    if (result.type == NPVariantType_String) {
      text = "str:" + std::string(v.stringValue.UTF8Characters, v.stringValue.UTF8Length);
    }
    m_browser.Table().releasevariantvalue(&result);
    return text;
  }

  testbrowser::TestBrowser& m_browser;
  NPObject* m_element;
  NPClass& m_class;
};

constexpr char kAVObjectType[] = "application/x-ruvo-avobject";
// 10, 20, 640 x 360 on a 1280 x 720 widget: 15, 30, 960 x 540 on the plane.
constexpr char kStyle[] = "left:10px;top:20px;width:640px;height:360px";
// Attribute values may be null, as a browser may pass them.
using Attributes = std::vector<std::pair<std::string, const char*>>;
using Lines = std::vector<std::string>;

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zor::RegisterService("Player", testbrowser::Recording(player));
    zor::RegisterService("Video", testbrowser::Recording(video));
    ASSERT_NE(ModuleInitialize(), nullptr);
    ASSERT_EQ(ModuleInitialize()(&browser.Table(), &plugin), NPERR_NO_ERROR);
  }

  void TearDown() override {
    for (Instance& instance : m_instances) {
      if (instance.npp) Destroy(instance.npp.get());
    }
    for (NPObject* object : m_pageObjects) browser.Table().releaseobject(object);
    browser.RunPendingAsyncCalls();
    zor::UnregisterAllServices();
    browser.ExpectClean();
  }

  // The browser's allocator fails from now on, or works again: the module
  // is given a table with another allocator, as a browser would give it.
  void FailAllocations(bool fail) {
    NPNetscapeFuncs table = browser.Table();
    if (fail) table.memalloc = [](uint32_t) -> void* { return nullptr; };
    ASSERT_EQ(ModuleInitialize()(&table, &plugin), NPERR_NO_ERROR);
  }

  // Creates an element's instance as the browser does for an <object>.
  NPP New(const std::string& mimeType = kAVObjectType, const Attributes& attributes = {}) {
    Instance& instance = m_instances.emplace_back();
    instance.player = player->ConnectionCount();
    std::vector<char*> names, values;
    for (const auto& [name, value] : attributes) {
      names.push_back(instance.texts.emplace_back(name).data());
      values.push_back(value ? instance.texts.emplace_back(value).data() : nullptr);
    }
    NPP npp = instance.npp.get();
    EXPECT_EQ(plugin.newp(instance.texts.emplace_back(mimeType).data(), npp, NP_EMBED,
                          static_cast<int16_t>(names.size()), names.data(), values.data(), nullptr),
              NPERR_NO_ERROR);
    return npp;
  }

  // An element with data "http://tv/v" and kStyle, playing nothing yet,
  // whose player reported 60 s of progress and answers a duration of 95 s;
  // nothing registered, nothing received.
  NPP PreparedElement() {
    NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}, {"style", kStyle}});
    PlayerOf(npp)->Emit(14, "60000", "");
    EXPECT_TRUE(PlayerOf(npp)->WaitDelivered());
    browser.RunPendingAsyncCalls();
    PlayerOf(npp)->ClearReceived();
    PlayerOf(npp)->Answer("GetDuration", "I95000");
    return npp;
  }

  // The element as page script holds it, until the test ends.
  NPObject* Element(NPP npp) {
    NPObject* element = nullptr;
    EXPECT_EQ(plugin.getvalue(npp, NPPVpluginScriptableNPObject, &element), NPERR_NO_ERROR);
    return element ? m_pageObjects.emplace_back(element) : nullptr;
  }
  PageScript Script(NPP npp) { return PageScript(browser, Element(npp)); }
  // A page function, held by the page until the test ends.
  NPObject* Function() { return m_pageObjects.emplace_back(browser.CreateFunction()); }

  // The handle is freed as a browser frees it, so that any later use of it
  // is caught.
  void Destroy(NPP npp) {
    EXPECT_EQ(plugin.destroy(npp, nullptr), NPERR_NO_ERROR);
    browser.InstanceDestroyed(npp);
    Find(npp).npp.reset();
  }

  std::shared_ptr<zor::ScriptedConnection> PlayerOf(NPP npp) {
    return player->Connection(Find(npp).player);
  }
  // The commands an instance sent (only those named `only`, if given), as
  // "Name param ...", trailing empty parameters left out.
  Lines Rendered(NPP npp, const std::string& only = "") {
    Lines lines;
    for (const auto& command : PlayerOf(npp)->Received()) {
      if (!only.empty() && command.name != only) continue;
      std::string line = command.name;
      for (const std::string& param : command.params) line += " " + param;
      lines.push_back(line.erase(line.find_last_not_of(' ') + 1));
    }
    return lines;
  }

  testbrowser::TestBrowser browser;
  NPPluginFuncs plugin{};
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
  std::shared_ptr<zor::ScriptedService> video = std::make_shared<zor::ScriptedService>();

 private:
  struct Instance {
    std::unique_ptr<NPP_t> npp = std::make_unique<NPP_t>();
    size_t player = 0;              // index of its player connection
    std::deque<std::string> texts;  // type, attribute names and values
  };

  Instance& Find(NPP npp) {
    for (Instance& instance : m_instances) {
      if (instance.npp.get() == npp) return instance;
    }
    throw std::invalid_argument("not an instance of this page");
  }

  std::deque<Instance> m_instances;
  std::vector<NPObject*> m_pageObjects;
};

}  // namespace plugintest

#endif  // TESTS_MODULE_PLUGINHOSTTEST_H
