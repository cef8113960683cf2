// The handlers behind the script table, one per script operation.
#ifndef SCRIPT_SCRIPTHANDLERS_H
#define SCRIPT_SCRIPTHANDLERS_H

#include "script/ScriptMembers.h"
#include "script/VariantConversion.h"
#include "script/plugin.h"

namespace script {

// Methods (ScriptMethods.cpp).
bool InvokeGetPluginInfo(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);
bool InvokePlay(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);
bool InvokeStop(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);
bool InvokeSeek(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);
bool InvokeSetFullScreen(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);
// "next" and "previous": there is one track, so nothing moves.
bool InvokeNoTrackChange(ScriptTarget&, const NPVariant*, uint32_t, NPVariant*);

// Properties read (ScriptProperties.cpp).
bool GetData(ScriptTarget&, NPVariant*);
bool GetPlayPosition(ScriptTarget&, NPVariant*);
bool GetPlayTime(ScriptTarget&, NPVariant*);
bool GetPlayState(ScriptTarget&, NPVariant*);
bool GetSpeed(ScriptTarget&, NPVariant*);
bool GetFullScreen(ScriptTarget&, NPVariant*);
// "error", "nrTracks", "currentTrackIndex" and "persist" always read 1.
bool GetConstantOne(ScriptTarget&, NPVariant*);
bool GetOnPlayStateChange(ScriptTarget&, NPVariant*);
bool GetOnUpdateProgress(ScriptTarget&, NPVariant*);
// "left", "top", "width", "height": page pixels, unscaled.
template <GeometryEdge edge>
bool GetEdge(ScriptTarget& target, NPVariant* result) {
  SetInt32Result(target.plugin.Edge(edge), result);
  return true;
}

// Properties written (ScriptProperties.cpp).
bool SetData(ScriptTarget&, const NPVariant&);
bool SetOnPlayStateChange(ScriptTarget&, const NPVariant&);
bool SetOnUpdateProgress(ScriptTarget&, const NPVariant&);
bool SetOnFullScreenChange(ScriptTarget&, const NPVariant&);
bool SetPersist(ScriptTarget&, const NPVariant&);
// A number moves the edge and the video at once; anything else is refused
// and changes nothing.
template <GeometryEdge edge>
bool SetEdge(ScriptTarget& target, const NPVariant& value) {
  int32_t pixels = 0;
  if (!ReadInt32(value, &pixels)) return false;
  target.plugin.MoveEdge(edge, pixels);
  return true;
}

}  // namespace script

#endif  // SCRIPT_SCRIPTHANDLERS_H
