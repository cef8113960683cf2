// The `tvhost` test global both front ends give a page, so that one test
// page runs in either: tvhost.exit(code), tvhost.args, and with the scripted
// player tvhost.player/tvhost.players. A front end adds members of its own
// to Object().
#ifndef NPBROWSER_TESTGLOBAL_H
#define NPBROWSER_TESTGLOBAL_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zor {
class ScriptedService;
}

namespace npbrowser {

class ScriptEngine;
class ScriptedPlayerBridge;

class TestGlobal {
 public:
  struct Settings {
    // tvhost.exit(code), with the code as a process exit status (0-255).
    std::function<void(int code)> exit;
    std::vector<std::string> args;  // tvhost.args, in order
    // The scripted player the page drives; null for any other player.
    std::shared_ptr<zor::ScriptedService> scripted;
  };

  // Sets `tvhost` on the engine's global object.
  TestGlobal(ScriptEngine& engine, Settings settings);
  ~TestGlobal();
  TestGlobal(const TestGlobal&) = delete;
  TestGlobal& operator=(const TestGlobal&) = delete;

  JSObjectRef Object() const { return m_object; }

 private:
  ScriptEngine& m_engine;
  Settings m_settings;
  JSObjectRef m_object;  // reachable from the global object
  std::unique_ptr<ScriptedPlayerBridge> m_player;
};

}  // namespace npbrowser

#endif  // NPBROWSER_TESTGLOBAL_H
