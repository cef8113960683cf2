#include "TestGlobal.h"

#include <cmath>

#include "JsUtil.h"
#include "ScriptEngine.h"
#include "ScriptedPlayerBridge.h"

namespace npbrowser {

namespace {

constexpr int kExitForBadCode = 1;

// The process keeps the low byte of an exit code; taken here from the
// number so that no number is out of an int's range. A number that is none
// is a failure.
int ExitStatus(double code) {
  if (!std::isfinite(code)) return kExitForBadCode;
  return static_cast<int>(std::fmod(std::trunc(code), 256.0));
}

}  // namespace

TestGlobal::TestGlobal(ScriptEngine& engine, Settings settings)
    : m_engine(engine), m_settings(std::move(settings)),
      m_object(JSObjectMake(engine.Context(), nullptr, nullptr)) {
  JSContextRef ctx = m_engine.Context();
  SetProperty(ctx, m_engine.Global(), "tvhost", m_object);
  SetFunction(ctx, m_object, "exit",
              [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                     JSValueRef*) {
                m_settings.exit(ExitStatus(args.empty() ? 0 : JSValueToNumber(c, args[0], nullptr)));
                return JSValueMakeUndefined(c);
              });
  // Protected until the array holds them: the collector does not look
  // into the vector.
  std::vector<JSValueRef> args;
  for (const std::string& arg : m_settings.args) {
    args.push_back(MakeString(ctx, arg));
    JSValueProtect(ctx, args.back());
  }
  SetProperty(ctx, m_object, "args", JSObjectMakeArray(ctx, args.size(), args.data(), nullptr));
  for (JSValueRef arg : args) JSValueUnprotect(ctx, arg);
  if (m_settings.scripted) {
    m_player = std::make_unique<ScriptedPlayerBridge>(m_engine, m_settings.scripted);
    m_player->Install(m_object);
  }
}

TestGlobal::~TestGlobal() = default;

}  // namespace npbrowser
