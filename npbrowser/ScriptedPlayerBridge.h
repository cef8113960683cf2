// tvhost.players[i] and tvhost.player: page script drives the scripted
// player service. players[i] is the i-th connection the service accepted,
// closed ones included (each plug-in element opens one as it becomes an
// instance); player is players[0].
#ifndef NPBROWSER_SCRIPTEDPLAYERBRIDGE_H
#define NPBROWSER_SCRIPTEDPLAYERBRIDGE_H

#include <JavaScriptCore/JavaScript.h>

#include <memory>
#include <vector>

namespace zor {
class ScriptedService;
}

namespace npbrowser {

class ScriptEngine;

class ScriptedPlayerBridge {
 public:
  ScriptedPlayerBridge(ScriptEngine& engine, std::shared_ptr<zor::ScriptedService> service);
  ~ScriptedPlayerBridge();
  ScriptedPlayerBridge(const ScriptedPlayerBridge&) = delete;
  ScriptedPlayerBridge& operator=(const ScriptedPlayerBridge&) = delete;

  // Adds `players` and `player` to the tvhost object.
  void Install(JSObjectRef tvhost);

 private:
  JSObjectRef PlayerObject(size_t index);

  ScriptEngine& m_engine;
  std::shared_ptr<zor::ScriptedService> m_service;
  std::vector<JSObjectRef> m_players;  // protected, by connection index
};

}  // namespace npbrowser

#endif  // NPBROWSER_SCRIPTEDPLAYERBRIDGE_H
