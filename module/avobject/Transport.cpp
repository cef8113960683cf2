// Transport: play, stop, pause, resume, seek and the position queries.
#include <cstdint>
#include <cstdio>

#include "avobject/plRuvoAVObject.h"
#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "plRuvoAVObject";
constexpr char kStateError[] = "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR";
// Targets this close to the current second need no jump.
constexpr int64_t kSeekToleranceSeconds = 2;

const char* ComponentSuffix(COMPONENT_TYPE type) {
  switch (type) {
    case eCOMPONENT_HAS: return "|COMPONENT=HAS";
    case eCOMPONENT_HLS: return "|COMPONENT=HLS";
    default: return "";
  }
}

int ClampedSeconds(int64_t seconds) {
  return seconds > INT32_MAX ? INT32_MAX : static_cast<int>(seconds);
}

}  // namespace

void CPlRuvoAVObject::ChangePlayState(const char* operation, eAVObjPlayState state,
                                      int level, const char* stateMessage) {
  stAVObjMember.mplayState = state;
  NPLOG_AS(operation, level, "%s", stateMessage);
  NotifyPlayState(state);
}

int CPlRuvoAVObject::Play(_NPPluginObjInfo*, int speed, COMPONENT_TYPE type) {
  NPLOG(nplog::kTrace, "start playing");
  if (stAVObjMember.mplayState == eAVOBJ_PLAYSTATE_PLAY) {
    NPLOG(nplog::kInfo, "Currently playing, don't need play again!!!");
    return 1;
  }
  // Built afresh from the page's URL, so a second play sends one suffix.
  stAVObjMember.mplayerURL = stAVObjMember.mmediaURL + ComponentSuffix(type);
  std::string answer = Execute("InitPlayer", stAVObjMember.mplayerURL, "", "", "");
  NPLOG(nplog::kInfo, "[%s][%s][%s][%s]", stAVObjMember.mplayerURL.c_str(), "", "", "");
  if (!IsAcceptedResult(answer)) {
    NPLOG(nplog::kFailure, "InitPlayer failed");
    ChangePlayState("Play", eAVOBJ_PLAYSTATE_ERROR, nplog::kFailure, kStateError);
    return 0;
  }
  // The page hears of the connecting state before any further command.
  ChangePlayState("Play", eAVOBJ_PLAYSTATE_CONNECTING, nplog::kTrace,
                  "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_CONNECTING");

  const stDisplayArea area = stAVObjMember.mdisplayArea;
  SetDisplayArea(area.x, area.y, area.w, area.h);
  NPLOG(nplog::kInfo, "[%d][%d][%d][%d]", area.x, area.y, area.w, area.h);

  std::string speedText;
  CNumberToString::NumberToString(speedText, speed);
  NPLOG(nplog::kInfo, "SetPlaybackSpeed:[%s][%s][%s][%s]", speedText.c_str(), "", "", "");
  Execute("SetPlaybackSpeed", speedText, "", "", "");  // a refused speed is no failure

  if (!IsAcceptedResult(Execute("StartPlayback", "", "", "", ""))) {
    ChangePlayState("Play", eAVOBJ_PLAYSTATE_ERROR, nplog::kFailure, kStateError);
    return 0;
  }
  stAVObjMember.mspeed = speed;
  return 1;
}

int CPlRuvoAVObject::SendTransportCommand(const char* command,
                                          eAVObjPlayState target,
                                          const char* targetMessage,
                                          int refusedLevel) {
  // The state is not looked at first: the command is always sent and the
  // page always told, also when the state does not change.
  if (!IsAcceptedResult(Execute(command, "", "", "", ""))) {
    ChangePlayState(command, eAVOBJ_PLAYSTATE_ERROR, refusedLevel, kStateError);
    return 0;
  }
  if (target == eAVOBJ_PLAYSTATE_STOP) {  // a stopped player is at the start
    stAVObjMember.mplayPosition = 0;
    stAVObjMember.mspeed = 0;
  }
  ChangePlayState(command, target, nplog::kTrace, targetMessage);
  return 1;
}

int CPlRuvoAVObject::Stop(_NPPluginObjInfo*) {
  return SendTransportCommand("Stop", eAVOBJ_PLAYSTATE_STOP,
                              "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_STOP",
                              nplog::kTrace);
}

int CPlRuvoAVObject::Pause(_NPPluginObjInfo*) {
  NPLOG(nplog::kTrace, "Pausing...");
  return SendTransportCommand("Pause", eAVOBJ_PLAYSTATE_PAUSE,
                              "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE",
                              nplog::kFailure);
}

int CPlRuvoAVObject::Resume(_NPPluginObjInfo*) {
  NPLOG(nplog::kTrace, "Resume()!");
  return SendTransportCommand("Resume", eAVOBJ_PLAYSTATE_PLAY,
                              "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY",
                              nplog::kFailure);
}

int CPlRuvoAVObject::Seek(_NPPluginObjInfo*, int target) {
  // The position is read once: a progress event during the call does not
  // change the jump. A negative position reads as a large unsigned one.
  const uint32_t position = static_cast<uint32_t>(stAVObjMember.mplayPosition.load());
  const int64_t current = position / 1000;
  NPLOG(nplog::kInfo, "current pos:[%d], seek to:[%d]\n", static_cast<int>(current), target);
  if (current == 0) return 0;  // no position known yet
  NPLOG(nplog::kInfo, "CPlRuvoAVObject::Seek,current pos:[%d]\n", static_cast<int>(current));

  const char* command;
  int seconds;
  if (target > current + kSeekToleranceSeconds) {
    seconds = ClampedSeconds(target - current);
    NPLOG(nplog::kInfo, "CPlRuvoAVObject::Seek, jump forward secs:[%d]\n", seconds);
    command = "JumpForward";
  } else if (target < current - kSeekToleranceSeconds) {
    seconds = ClampedSeconds(current - target);
    NPLOG(nplog::kInfo, "CPlRuvoAVObject::Seek, jump backward secs:[%d]\n", seconds);
    command = "JumpBackward";
  } else {
    NPLOG(nplog::kInfo, "Don't need to do seek, current position = %d -> %d",
          static_cast<int>(current), target);
    return 1;
  }
  std::string secondsText;
  CNumberToString::NumberToString(secondsText, seconds);
  return IsAcceptedResult(Execute(command, secondsText, "", "", "")) ? 1 : 0;
}

bool CPlRuvoAVObject::GetPlayPosition(_NPPluginObjInfo*, unsigned long* out) {
  return QueryPositive("GetPlayPosition", "GetPlayPosition", out);
}

bool CPlRuvoAVObject::GetPlayTime(_NPPluginObjInfo*, unsigned long* out) {
  return QueryPositive("GetPlayTime", "GetDuration", out);
}

bool CPlRuvoAVObject::QueryPositive(const char* operation, const char* command,
                                    unsigned long* out) {
  if (out == nullptr) return false;
  int value = 0;
  ReadIntegerResult(Execute(command, "", "", "", ""), &value);
  NPLOG_AS(operation, nplog::kInfo, "%s:[%d]", operation, value);
  if (value <= 0) return false;
  *out = static_cast<unsigned long>(value);
  return true;
}

}  // namespace NSPlRuvoAVObject
