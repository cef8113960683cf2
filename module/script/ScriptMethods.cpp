// The methods page script calls on the element: play, stop, seek,
// setFullScreen, GetPluginInfo, next and previous.
#include <cstdint>

#include "host/np_log.h"
#include "script/NumberConversion.h"
#include "script/ScriptHandlers.h"
#include "script/VariantConversion.h"

namespace script {

namespace {

constexpr char kLogSource[] = "plugin";
// Every line here is written on behalf of the script operation that the
// browser called.
constexpr char kInvoke[] = "Invoke";
constexpr size_t kPluginInfoSize = 1024;
// The information type asked for when script passes no number; the AV object
// knows no such type and writes nothing.
constexpr int32_t kUnknownInfoType = 1000;
constexpr int32_t kMillisecondsPerSecond = 1000;

using NSPlRuvoAVObject::_PL_CMN_INFO;

// The single number argument of play, seek and setFullScreen. Any other
// type is no error: it counts as 0.
int32_t ReadNumberArgument(const NPVariant& argument) {
  if (argument.type == NPVariantType_Int32) {
    NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_play_id)(NPVARIANT_IS_INT32(args[0]))\n");
  } else if (argument.type == NPVariantType_Double) {
    NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_play_id)(NPVARIANT_IS_DOUBLE(args[0]))\n");
  }
  int32_t value = 0;
  ReadInt32(argument, &value);
  return value;
}

// A negative whole number selects that type; a fractional or negative
// double is read as unsigned.
int32_t ReadInfoType(const NPVariant& argument) {
  switch (argument.type) {
    case NPVariantType_Int32:
      return argument.value.intValue;
    case NPVariantType_Double:
      return static_cast<int32_t>(TruncateToUInt32(argument.value.doubleValue));
    default:
      NPLOG_AS(kInvoke, nplog::kTrace, "GetPluginInfo:: Invalid Argument!");
      return kUnknownInfoType;
  }
}

}  // namespace

bool InvokePlay(ScriptTarget& target, const NPVariant* args, uint32_t argCount, NPVariant* result) {
  if (argCount != 1) {
    NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_play_id)( argCount != 1 )\n");
    return false;
  }
  const int32_t speed = ReadNumberArgument(args[0]);
  NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_play_id)val: %d\n", speed);
  // play(0) and below pause: the TV's pages have no separate pause method.
  if (speed < 1) {
    NPLOG_AS(kInvoke, nplog::kTrace, "m_PlRuvoAVObject::Pause()\n");
    SetInt32Result(target.av.Pause(nullptr), result);
    return true;
  }
  NPLOG_AS(kInvoke, nplog::kTrace, "current status:[%d]", static_cast<int>(target.av.stAVObjMember.mplayState));
  if (target.av.IsPause()) {
    NPLOG_AS(kInvoke, nplog::kTrace, "m_PlRuvoAVObject::Resume()\n");
    SetInt32Result(target.av.Resume(nullptr), result);
    return true;
  }
  NPLOG_AS(kInvoke, nplog::kTrace, "m_PlRuvoAVObject::Play(), speed:[%d]\n", speed);
  SetInt32Result(target.av.Play(nullptr, speed, target.plugin.ComponentType()), result);
  return true;
}

bool InvokeStop(ScriptTarget& target, const NPVariant*, uint32_t, NPVariant* result) {
  SetInt32Result(target.av.Stop(nullptr), result);
  return true;
}

bool InvokeSeek(ScriptTarget& target, const NPVariant* args, uint32_t argCount, NPVariant* result) {
  if (argCount != 1) {
    NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_seek_id)( argCount != 1 )\n");
    if (argCount == 0) return false;
  }
  const int32_t seconds = ReadNumberArgument(args[0]) / kMillisecondsPerSecond;
  NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_seek_id)val: %d\n", seconds);
  SetInt32Result(target.av.Seek(nullptr, seconds), result);
  return true;
}

bool InvokeSetFullScreen(ScriptTarget& target, const NPVariant* args, uint32_t argCount,
                         NPVariant* result) {
  if (argCount != 1) {
    NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_play_id)( argCount != 1 )\n");
    return false;
  }
  const int32_t value = ReadNumberArgument(args[0]);
  NPLOG_AS(kInvoke, nplog::kTrace, "(name == plugin_setFullScreen_id)val: %d\n", value);
  SetInt32Result(target.av.SetFullScreen(nullptr, value != 0), result);
  return true;
}

bool InvokeGetPluginInfo(ScriptTarget& target, const NPVariant* args, uint32_t argCount,
                         NPVariant* result) {
  if (argCount != 1) return false;
  const int32_t type = ReadInfoType(args[0]);
  char info[kPluginInfoSize] = {};
  target.av.GetPluginInfo(nullptr, static_cast<_PL_CMN_INFO>(type), info);
  info[kPluginInfoSize - 1] = '\0';
  return SetStringResult(info, result);
}

bool InvokeNoTrackChange(ScriptTarget&, const NPVariant*, uint32_t, NPVariant* result) {
  SetInt32Result(0, result);
  return true;
}

}  // namespace script
