// An AV object wired to the test browser and scripted player and video
// services, and the transcript lines its callbacks produce.
#ifndef TESTS_AVOBJECT_AVOBJECTFIXTURE_H
#define TESTS_AVOBJECT_AVOBJECTFIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestBrowser.h"
#include "TestServices.h"
#include "Transcript.h"
#include "avobject/plRuvoAVObject.h"
#include "host/np_log.h"
#include "zor/ScriptedService.h"

namespace avtest {

using namespace NSPlRuvoAVObject;
using testbrowser::Lines;
using testbrowser::operator+;
using Strings = std::vector<std::string>;

// How a page callback is registered when a transcript is taken: function
// "f", name "cb", both, or nothing.
enum class Form { kNone, kFunction, kName, kBoth };

inline bool HasFunction(Form form) { return form == Form::kFunction || form == Form::kBoth; }
inline bool HasName(Form form) { return form == Form::kName || form == Form::kBoth; }

// The lines that tell, on the main thread, what is registered and how it
// will be called.
inline Lines Announced(Form form, bool scheduled = true) {
  Lines lines = {std::string("4 PluginCall:  Callback is String= ") + (HasName(form) ? "cb" : ""),
                 std::string("4 PluginCall:  Callback is Function= ") +
                     (HasFunction(form) ? "<ptr>" : "(nil)")};
  if (HasFunction(form)) {
    if (scheduled) lines.push_back("5 PluginCall:  Callback Player_AsyncEvent scheduled!!!");
  } else if (HasName(form)) {
    lines.push_back("4 PluginCall:  Callback is String= cb");
    if (scheduled) lines.push_back("5 PluginCall:  Callback Player_AsyncEvent_str scheduled!!!");
  }
  return lines;
}

// The notification of the state `digit` that `function` writes: the AV
// object's own, or a player event's with its second text.
inline Lines Notified(Form form, const std::string& digit,
                      const std::string& function = "PlayStateChangeCallback",
                      const std::string& param2 = "") {
  return Lines{"4 " + function + ": [" + (HasName(form) ? "cb" : "") + "][" + digit + "][" +
               param2 + "]"} +
         Announced(form);
}

// The line that records the play state `state`.
inline std::string StateLine(int level, const std::string& function, int state) {
  static const char* const kNames[] = {"STOP",      "PLAY",     "PAUSE", "CONNECTING",
                                       "BUFFERING", "FINISHED", "ERROR"};
  return std::to_string(level) + " " + function + ": stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_" +
         kNames[state];
}

// What the main loop does for one delivery with two texts.
inline Lines Delivered(Form form, const std::string& param1, const std::string& param2) {
  if (HasFunction(form)) return {"page f(" + param1 + "," + param2 + ")"};
  if (!HasName(form)) return {};
  const std::string script = "cb(\"" + param1 + "\",\"" + param2 + "\");";
  return {"4 Player_AsyncEvent_str:  Inside Player_AsyncEvent_str  = cb, param1=" + param1 +
              ", param2=" + param2,
          "4 Player_AsyncEvent_str: =======Value of script = " + script, "eval " + script,
          "4 Player_AsyncEvent_str:  NPNFuncs.evaluate ret = 1"};
}

class AVObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser.InstallIntoModule();
    zor::RegisterService("Player", testbrowser::Recording(player));
    zor::RegisterService("Video", testbrowser::Recording(video));
    av = std::make_unique<CPlRuvoAVObject>();
    av->mnpInstance = &npp;
    testbrowser::ClearTranscript();
  }

  void TearDown() override {
    av.reset();
    browser.InstanceDestroyed(&npp);
    browser.RunPendingAsyncCalls();
    for (NPObject* function : m_functions) browser.Table().releaseobject(function);
    zor::UnregisterAllServices();
    browser.ExpectClean();
  }

  // A script function owned by the fixture, named `label` in transcripts.
  NPObject* Function(const std::string& label = "f") {
    m_functions.push_back(browser.CreateFunction(label));
    return m_functions.back();
  }

  // Everything `operation` makes the module do, up to and including what
  // the browser's main loop then runs.
  Lines Run(const std::function<void()>& operation) {
    testbrowser::ClearTranscript();
    operation();
    browser.RunPendingAsyncCalls();
    return testbrowser::TakeTranscript();
  }

  // A player event, delivered and passed on to page script, as `Run` sees it.
  Lines Event(int type, const std::string& param1, const std::string& param2) {
    return Run([&] {
      Connection()->Emit(type, param1, param2);
      ASSERT_TRUE(Connection()->WaitDelivered());
    });
  }

  // Registers `form` for the play-state (or the progress) callback; returns
  // the function registered, if any.
  NPObject* Register(Form form, bool progress = false) {
    auto set = progress ? &CPlRuvoAVObject::SetonUpdateProgress
                        : &CPlRuvoAVObject::SetonPlayStateChange;
    if (HasName(form)) (av.get()->*set)(nullptr, NameBuffer("cb"), nullptr);
    NPObject* function = HasFunction(form) ? Function() : nullptr;
    if (function != nullptr) (av.get()->*set)(nullptr, nullptr, function);
    return function;
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

  // The first argument of every call of `function`, in order.
  Strings FirstArguments(NPObject* function) {
    Strings firsts;
    for (const auto& call : browser.CallsOf(function)) firsts.push_back(call.args.at(0));
    return firsts;
  }

  int State() { return av->stAVObjMember.mplayState; }

  testbrowser::TestBrowser browser;
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
  std::shared_ptr<zor::ScriptedService> video = std::make_shared<zor::ScriptedService>();
  NPP_t npp{};
  std::unique_ptr<CPlRuvoAVObject> av;

 private:
  std::vector<NPObject*> m_functions;
};

}  // namespace avtest

#endif  // TESTS_AVOBJECT_AVOBJECTFIXTURE_H
