#include "ScriptedPlayerBridge.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include "JsUtil.h"
#include "ScriptEngine.h"
#include "zor/ScriptedService.h"

namespace npbrowser {

namespace {

std::string Argument(JSContextRef ctx, const std::vector<JSValueRef>& args, size_t i) {
  return i < args.size() && !JSValueIsUndefined(ctx, args[i]) ? ToStdString(ctx, args[i])
                                                               : std::string();
}

// Milliseconds; a negative number holds the answer for ever, anything that
// is not a number gives it at once.
std::chrono::milliseconds DelayArgument(JSContextRef ctx, const std::vector<JSValueRef>& args,
                                        size_t i) {
  double delay = i < args.size() ? JSValueToNumber(ctx, args[i], nullptr) : 0;
  if (std::isnan(delay)) delay = 0;
  if (delay < 0) return std::chrono::milliseconds(-1);
  return std::chrono::milliseconds(static_cast<int64_t>(std::min(delay, 86400000.0)));
}

JSValueRef CommandsToArray(JSContextRef ctx,
                           const std::vector<zor::ReceivedCommand>& commands) {
  std::vector<JSValueRef> rows;
  for (const auto& command : commands) {
    std::vector<JSValueRef> row{MakeString(ctx, command.name)};
    for (const auto& param : command.params) row.push_back(MakeString(ctx, param));
    rows.push_back(JSObjectMakeArray(ctx, row.size(), row.data(), nullptr));
  }
  return JSObjectMakeArray(ctx, rows.size(), rows.data(), nullptr);
}

}  // namespace

ScriptedPlayerBridge::ScriptedPlayerBridge(ScriptEngine& engine,
                                           std::shared_ptr<zor::ScriptedService> service)
    : m_engine(engine), m_service(std::move(service)) {}

ScriptedPlayerBridge::~ScriptedPlayerBridge() {
  for (JSObjectRef player : m_players) JSValueUnprotect(m_engine.Context(), player);
}

void ScriptedPlayerBridge::Install(JSObjectRef tvhost) {
  JSContextRef ctx = m_engine.Context();
  // A fresh list each time: elements join as parsing reaches them.
  SetFunction(ctx, tvhost, "__players",
              [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>&,
                     JSValueRef*) -> JSValueRef {
                std::vector<JSValueRef> players;
                for (size_t i = 0; i < m_service->ConnectionCount(); ++i) {
                  players.push_back(PlayerObject(i));
                }
                return JSObjectMakeArray(c, players.size(), players.data(), nullptr);
              });
  JSValueRef define = nullptr;
  m_engine.Evaluate("(function (t) {"
                    "  var list = t.__players; delete t.__players;"
                    "  Object.defineProperty(t, 'players', {get: list});"
                    "  Object.defineProperty(t, 'player',"
                    "      {get: function () { return list()[0]; }});"
                    "})",
                    "(tvhost)", 1, nullptr, &define);
  m_engine.Call(JSValueToObject(ctx, define, nullptr), nullptr, {tvhost}, nullptr);
}

JSObjectRef ScriptedPlayerBridge::PlayerObject(size_t index) {
  JSContextRef ctx = m_engine.Context();
  while (m_players.size() <= index) {
    size_t i = m_players.size();
    JSObjectRef player = JSObjectMake(ctx, nullptr, nullptr);
    auto connection = [this, i] { return m_service->Connection(i); };
    SetFunction(ctx, player, "answer",
                [connection](JSContextRef c, JSObjectRef,
                             const std::vector<JSValueRef>& args, JSValueRef*) {
                  connection()->Answer(Argument(c, args, 0), Argument(c, args, 1),
                                       DelayArgument(c, args, 2));
                  return JSValueMakeUndefined(c);
                });
    SetFunction(ctx, player, "end",
                [connection](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>&,
                             JSValueRef*) {
                  connection()->End();
                  return JSValueMakeUndefined(c);
                });
    SetFunction(ctx, player, "sent",
                [connection](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>&,
                             JSValueRef*) {
                  return CommandsToArray(c, connection()->Received());
                });
    SetFunction(ctx, player, "isOpen",
                [connection](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>&,
                             JSValueRef*) {
                  return JSValueMakeBoolean(c, connection()->IsOpen());
                });
    SetFunction(ctx, player, "emit",
                [connection](JSContextRef c, JSObjectRef,
                             const std::vector<JSValueRef>& args, JSValueRef*) {
                  double type = args.empty() ? 0 : JSValueToNumber(c, args[0], nullptr);
                  if (!std::isfinite(type) || std::fabs(type) > 1e9) type = 0;
                  connection()->Emit(static_cast<int>(type), Argument(c, args, 1),
                                     Argument(c, args, 2));
                  return JSValueMakeUndefined(c);
                });
    JSValueProtect(ctx, player);
    m_players.push_back(player);
  }
  return m_players[index];
}

}  // namespace npbrowser
