// A page that embeds plug-in elements, as a browser holds it: the test
// browser, the plug-in table the module filled, the scripted platform
// services and the element references the page keeps. The same fixture
// drives the module linked into a test and the built shared module; only
// where NP_Initialize comes from differs.
#ifndef TESTS_MODULE_PLUGINHOSTTEST_H
#define TESTS_MODULE_PLUGINHOSTTEST_H

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "PageScript.h"
#include "TestBrowser.h"
#include "npfunctions.h"
#include "zor/ScriptedService.h"

namespace plugintest {

constexpr char kAVObjectType[] = "application/x-ruvo-avobject";

using Attributes = std::vector<std::pair<std::string, std::string>>;
using Commands = std::vector<zor::ReceivedCommand>;
using Lines = std::vector<std::string>;

class PluginHostTest : public ::testing::Test {
 protected:
  virtual NP_InitializeFunc Entry() = 0;  // the module's NP_Initialize

  void SetUp() override {
    zor::RegisterService("Player", player);
    zor::RegisterService("Video", video);
    NP_InitializeFunc initialize = Entry();
    ASSERT_NE(initialize, nullptr);
    ASSERT_EQ(initialize(&browser.Table(), &plugin), NPERR_NO_ERROR);
  }

  void TearDown() override {
    for (Instance& instance : m_instances) {
      if (instance.alive) Destroy(&instance.npp);
    }
    for (NPObject* object : m_pageObjects) browser.Table().releaseobject(object);
    browser.RunPendingAsyncCalls();
    zor::UnregisterAllServices();
    browser.ExpectClean();
  }

  // Creates an element's instance as the browser does for an <object>.
  NPP New(const std::string& mimeType = kAVObjectType, const Attributes& attributes = {}) {
    Instance& instance = m_instances.emplace_back();
    instance.player = player->ConnectionCount();
    std::vector<char*> names, values;
    for (const auto& [name, value] : attributes) {
      names.push_back(instance.texts.emplace_back(name).data());
      values.push_back(instance.texts.emplace_back(value).data());
    }
    std::string type = mimeType;
    EXPECT_EQ(plugin.newp(type.data(), &instance.npp, NP_EMBED, static_cast<int16_t>(names.size()),
                          names.data(), values.data(), nullptr),
              NPERR_NO_ERROR);
    instance.alive = instance.npp.pdata != nullptr;
    return &instance.npp;
  }

  // The element as page script holds it, until the test ends.
  NPObject* Element(NPP npp) {
    NPObject* element = nullptr;
    EXPECT_EQ(plugin.getvalue(npp, NPPVpluginScriptableNPObject, &element), NPERR_NO_ERROR);
    if (element != nullptr) m_pageObjects.push_back(element);
    return element;
  }
  PageScript Script(NPP npp) { return PageScript(browser, Element(npp)); }
  // A page function, held by the page until the test ends.
  NPObject* Function() { return m_pageObjects.emplace_back(browser.CreateFunction()); }

  void Destroy(NPP npp) {
    EXPECT_EQ(plugin.destroy(npp, nullptr), NPERR_NO_ERROR);
    browser.InstanceDestroyed(npp);
    Find(npp).alive = false;
  }

  std::shared_ptr<zor::ScriptedConnection> PlayerOf(NPP npp) {
    return player->Connection(Find(npp).player);
  }
  // Every command an instance sent, as "Name param ...", trailing empty
  // parameters left out.
  Lines Rendered(NPP npp) {
    Lines lines;
    for (const auto& command : PlayerOf(npp)->Received()) {
      std::string line = command.name;
      for (const std::string& param : command.params) line += " " + param;
      lines.push_back(line.erase(line.find_last_not_of(' ') + 1));
    }
    return lines;
  }
  // The commands of one name that an instance sent, in order.
  Commands Sent(NPP npp, const std::string& name) {
    Commands matching;
    for (const auto& command : PlayerOf(npp)->Received()) {
      if (command.name == name) matching.push_back(command);
    }
    return matching;
  }

  testbrowser::TestBrowser browser;
  NPPluginFuncs plugin{};
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
  std::shared_ptr<zor::ScriptedService> video = std::make_shared<zor::ScriptedService>();

 private:
  struct Instance {
    NPP_t npp{};
    bool alive = false;
    size_t player = 0;              // index of its player connection
    std::deque<std::string> texts;  // attribute names and values
  };
  Instance& Find(NPP npp) {
    for (Instance& instance : m_instances) {
      if (&instance.npp == npp) return instance;
    }
    throw std::invalid_argument("not an instance of this page");
  }

  std::deque<Instance> m_instances;  // handles keep their addresses
  std::vector<NPObject*> m_pageObjects;
};

}  // namespace plugintest

#endif  // TESTS_MODULE_PLUGINHOSTTEST_H
