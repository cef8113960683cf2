// An AV object wired to the test browser and a scripted player service.
#ifndef TESTS_AVOBJECT_AVOBJECTFIXTURE_H
#define TESTS_AVOBJECT_AVOBJECTFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestBrowser.h"
#include "avobject/plRuvoAVObject.h"
#include "host/np_log.h"
#include "zor/ScriptedService.h"

namespace avtest {

using NSPlRuvoAVObject::CPlRuvoAVObject;

class AVObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser.InstallIntoModule();
    zor::RegisterService("Player", player);
    av = std::make_unique<CPlRuvoAVObject>();
    av->mnpInstance = &npp;
    testbrowser::ClearCapturedLog();
  }

  void TearDown() override {
    DestroyObject();
    browser.RunPendingAsyncCalls();
    for (NPObject* function : m_functions) browser.Table().releaseobject(function);
    zor::UnregisterAllServices();
    browser.ExpectClean();
  }

  void DestroyObject() {
    if (!av) return;
    av.reset();
    browser.InstanceDestroyed(&npp);
  }

  // A script function owned by the fixture.
  NPObject* Function() {
    m_functions.push_back(browser.CreateFunction());
    return m_functions.back();
  }

  // A name buffer as the script layer hands it over.
  static char* NameBuffer(const std::string& name) {
    char* buffer = static_cast<char*>(NPNFuncs.memalloc(name.size() + 1));
    memcpy(buffer, name.c_str(), name.size() + 1);
    return buffer;
  }

  std::shared_ptr<zor::ScriptedConnection> Connection() {
    return player->Connection(player->ConnectionCount() - 1);
  }

  void Answer(const std::string& command, const std::string& result) {
    Connection()->Answer(command, result);
  }

  std::vector<zor::ReceivedCommand> Sent() { return Connection()->Received(); }

  std::vector<std::string> SentNames() {
    std::vector<std::string> names;
    for (const auto& command : Sent()) names.push_back(command.name);
    return names;
  }

  // Sends a player event and runs the browser's main loop until the page
  // has seen it.
  void Event(int type, const std::string& param1, const std::string& param2) {
    Connection()->Emit(type, param1, param2);
    ASSERT_TRUE(Connection()->WaitDelivered());
    browser.RunPendingAsyncCalls();
  }

  // The first argument of every call of `function`, in order.
  std::vector<std::string> FirstArguments(NPObject* function) {
    std::vector<std::string> firsts;
    for (const auto& call : browser.CallsOf(function)) {
      firsts.push_back(call.args.empty() ? "<none>" : call.args[0]);
    }
    return firsts;
  }

  int State() { return av->stAVObjMember.mplayState; }

  testbrowser::TestBrowser browser;
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
  NPP_t npp{};
  std::unique_ptr<CPlRuvoAVObject> av;

 private:
  std::vector<NPObject*> m_functions;
};

}  // namespace avtest

#endif  // TESTS_AVOBJECT_AVOBJECTFIXTURE_H
