// The player connection: opening and closing it, and turning the player's
// events into play-state and position changes for page script.
#include "service/ZorBase.h"

#include <cstdio>

#include "host/np_log.h"
#include "service/AsyncDelivery.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "ZorBase";

// The play state a player event moves to, with its log line; null for
// events that are not state events.
struct StateEvent {
  eAVObjPlayState state;
  const char* message;
};

const StateEvent* StateEventFor(int type) {
  static const StateEvent kError{eAVOBJ_PLAYSTATE_ERROR,
                                 "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"};
  static const StateEvent kPlay{eAVOBJ_PLAYSTATE_PLAY,
                                "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY"};
  static const StateEvent kFinished{
      eAVOBJ_PLAYSTATE_FINISHED,
      "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_FINISHED"};
  static const StateEvent kBuffering{
      eAVOBJ_PLAYSTATE_BUFFERING,
      "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_BUFFERING"};
  switch (type) {
    case 1: case 2: case 3: case 4: case 6: return &kError;
    case 7: case 12: return &kPlay;
    case 8: return &kFinished;
    case 11: case 13: return &kBuffering;
    default: return nullptr;
  }
}

constexpr int kProgressEvent = 14;

}  // namespace

CZorBase::CZorBase()
    : CZorCommandFamily<_NPPluginObjInfo>(zor::CClientAppFactory::ZOR_CLIENT_TYPE) {
  NPLOG_ENTRY();
}

CZorBase::~CZorBase() { CloseAndRelease(); }

void CZorBase::OpenPlayer() { Open("Player", "1.000", "Player"); }

void CZorBase::CloseAndRelease() {
  // Once Close returns no event runs, so nothing new is scheduled; what is
  // still queued for this object is dropped before its callbacks go.
  Close();
  CancelDeliveries(this);
  ReleaseCallbacks();
}

int CZorBase::Open(std::string service, std::string version, std::string name) {
  NPLOG(nplog::kInfo, " %s / %s / %s\n", service.c_str(), version.c_str(),
        name.c_str());
  return CZorPluginWrapper::Open(service, version, name);
}

void CZorBase::Close() { CZorPluginWrapper::Close(); }

void CZorBase::ReleaseCallbacks() {
  if (monPlayStateChangeObj != nullptr) NPNFuncs.releaseobject(monPlayStateChangeObj);
  if (monPlayStateChangeName != nullptr) NPNFuncs.memfree(monPlayStateChangeName);
  if (monUpdateProgressObj != nullptr) NPNFuncs.releaseobject(monUpdateProgressObj);
  if (monUpdateProgressName != nullptr) NPNFuncs.memfree(monUpdateProgressName);
  monPlayStateChangeObj = monUpdateProgressObj = nullptr;
  monPlayStateChangeName = monUpdateProgressName = nullptr;
}

std::string PlayStateDigit(int32_t state) {
  char digit[2] = {};  // every play state is one digit
  snprintf(digit, sizeof digit, "%d", static_cast<int>(state));
  return digit;
}

int CZorBase::OnEvent(int type, std::string param1, std::string param2) {
  try {
    HandleEvent(type, std::move(param1), std::move(param2));
  } catch (...) {
    // Out of memory on the service thread: this event cannot reach the page,
    // and nothing is thrown into the library.
  }
  return 1;
}

void CZorBase::HandleEvent(int type, std::string param1, std::string param2) {
  NPLOG_AS("OnEvent", nplog::kInfo, "CZorBase::OnEvent,type:[%d]", type);
  if (const StateEvent* event = StateEventFor(type)) {
    stAVObjMember.mplayState = event->state;
    NPLOG_AS("OnEvent", nplog::kTrace, "%s", event->message);
    PluginCall(eCALLBACK_PLAY_STATE_CHANGE, PlayStateDigit(event->state),
               std::move(param2), CallbackOrigin::kPlayerEvent);
  } else if (type == kProgressEvent) {
    stAVObjMember.mplayPosition = ParseDecimal(param1.c_str());
    PluginCall(eCALLBACK_UPDATE_PROGRESS, std::move(param1), std::move(param2),
               CallbackOrigin::kPlayerEvent);
  } else {
    NPLOG_AS("OnEvent", nplog::kTrace, "Unhandled cases: type = %d", type);
  }
}

}  // namespace NSPlRuvoAVObject
