// The script interface table: names, identifiers and handlers side by side.
#include "script/ScriptMembers.h"

#include <iterator>

#include "host/np_log.h"
#include "script/ScriptHandlers.h"

namespace script {

namespace {

// The browser's identifiers for the script names. Every instance's
// construction asks for them again; only the main thread touches them.
NPIdentifier plugin_GetPluginInfo_id;
NPIdentifier plugin_play_id;
NPIdentifier plugin_stop_id;
NPIdentifier plugin_seek_id;
NPIdentifier plugin_setFullScreen_id;
NPIdentifier plugin_next_id;
NPIdentifier plugin_previous_id;
NPIdentifier plugin_data_id;
NPIdentifier plugin_playPosition_id;
NPIdentifier plugin_playTime_id;
NPIdentifier plugin_playState_id;
NPIdentifier plugin_error_id;
NPIdentifier plugin_speed_id;
NPIdentifier plugin_fullScreen_id;
NPIdentifier plugin_onPlayStateChange_id;
NPIdentifier plugin_onUpdateProgress_id;
NPIdentifier plugin_onFullScreenChange_id;
NPIdentifier plugin_nrTracks_id;
NPIdentifier plugin_currentTrackIndex_id;
NPIdentifier plugin_persist_id;
NPIdentifier plugin_width_id;
NPIdentifier plugin_height_id;
NPIdentifier plugin_left_id;
NPIdentifier plugin_top_id;

constexpr ScriptMember Method(const char* name, NPIdentifier* id, MethodHandler invoke) {
  return {name, id, ScriptMember::kMethod, invoke, nullptr, nullptr};
}
constexpr ScriptMember Property(const char* name, NPIdentifier* id, GetterHandler get,
                                SetterHandler set) {
  return {name, id, ScriptMember::kProperty, nullptr, get, set};
}
constexpr ScriptMember ReadOnly(const char* name, NPIdentifier* id, GetterHandler get) {
  return Property(name, id, get, nullptr);
}
constexpr ScriptMember WriteOnly(const char* name, NPIdentifier* id, SetterHandler set) {
  return Property(name, id, nullptr, set);
}

using E = GeometryEdge;

// In the order the identifiers are created.
constexpr ScriptMember kScriptMembers[] = {
    Method("GetPluginInfo", &plugin_GetPluginInfo_id, InvokeGetPluginInfo),
    Method("play", &plugin_play_id, InvokePlay),
    Method("stop", &plugin_stop_id, InvokeStop),
    Method("seek", &plugin_seek_id, InvokeSeek),
    Method("setFullScreen", &plugin_setFullScreen_id, InvokeSetFullScreen),
    Method("next", &plugin_next_id, InvokeNoTrackChange),
    Method("previous", &plugin_previous_id, InvokeNoTrackChange),
    Property("data", &plugin_data_id, GetData, SetData),
    ReadOnly("playPosition", &plugin_playPosition_id, GetPlayPosition),
    ReadOnly("playTime", &plugin_playTime_id, GetPlayTime),
    ReadOnly("playState", &plugin_playState_id, GetPlayState),
    ReadOnly("error", &plugin_error_id, GetConstantOne),
    ReadOnly("speed", &plugin_speed_id, GetSpeed),
    ReadOnly("fullScreen", &plugin_fullScreen_id, GetFullScreen),
    Property("onPlayStateChange", &plugin_onPlayStateChange_id, GetOnPlayStateChange,
             SetOnPlayStateChange),
    Property("onUpdateProgress", &plugin_onUpdateProgress_id, GetOnUpdateProgress,
             SetOnUpdateProgress),
    WriteOnly("onFullScreenChange", &plugin_onFullScreenChange_id, SetOnFullScreenChange),
    ReadOnly("nrTracks", &plugin_nrTracks_id, GetConstantOne),
    ReadOnly("currentTrackIndex", &plugin_currentTrackIndex_id, GetConstantOne),
    Property("persist", &plugin_persist_id, GetConstantOne, SetPersist),
    Property("width", &plugin_width_id, GetEdge<E::kWidth>, SetEdge<E::kWidth>),
    Property("height", &plugin_height_id, GetEdge<E::kHeight>, SetEdge<E::kHeight>),
    Property("left", &plugin_left_id, GetEdge<E::kLeft>, SetEdge<E::kLeft>),
    Property("top", &plugin_top_id, GetEdge<E::kTop>, SetEdge<E::kTop>),
};

constexpr size_t CountOf(ScriptMember::Kind kind) {
  size_t count = 0;
  for (const ScriptMember& member : kScriptMembers) count += member.kind == kind ? 1 : 0;
  return count;
}

static_assert(std::size(kScriptMembers) == 24, "24 script names");
static_assert(CountOf(ScriptMember::kMethod) == 7, "seven methods");
static_assert(CountOf(ScriptMember::kProperty) == 17, "seventeen properties");

}  // namespace

void CreateScriptIdentifiers() {
  for (const ScriptMember& member : kScriptMembers) {
    *member.identifier = NPNFuncs.getstringidentifier(member.name);
  }
}

const ScriptMember* FindScriptMember(NPIdentifier name) {
  if (name == nullptr) return nullptr;
  for (const ScriptMember& member : kScriptMembers) {
    if (*member.identifier == name) return &member;
  }
  return nullptr;
}

}  // namespace script
