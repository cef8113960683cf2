// Page-callback registration and the play-state notification.
#include <string>

#include "avobject/plRuvoAVObject.h"
#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "plRuvoAVObject";

// One callback's two registration fields. A name replaces the stored name
// (whose buffer is freed); otherwise an object replaces the stored object
// (released; the new one retained). The other field stays.
// `operation` is the registering operation, which the log lines name.
int Register(const char* operation, char*& storedName, NPObject*& storedObject,
             char* name, NPObject* object) {
  if (name != nullptr) {
    if (storedName != nullptr) NPNFuncs.memfree(storedName);
    storedName = name;
    NPLOG_AS(operation, nplog::kInfo, "%s functionName = %s\n", operation, name);
    return 1;
  }
  if (object == nullptr) return 0;
  if (object == storedObject) {
    NPLOG_AS(operation, nplog::kTrace, "Register same callback, do nothing\n");
    return 1;
  }
  if (storedObject != nullptr) NPNFuncs.releaseobject(storedObject);
  storedObject = NPNFuncs.retainobject(object);
  NPLOG_AS(operation, nplog::kInfo, "%s functionObj = %p\n", operation,
           static_cast<void*>(storedObject));
  return 1;
}

}  // namespace

int CPlRuvoAVObject::SetonPlayStateChange(_NPPluginObjInfo*, char* name, NPObject* obj) {
  return Register("SetonPlayStateChange", monPlayStateChangeName,
                  monPlayStateChangeObj, name, obj);
}

int CPlRuvoAVObject::SetonUpdateProgress(_NPPluginObjInfo*, char* name, NPObject* obj) {
  return Register("SetonUpdateProgress", monUpdateProgressName,
                  monUpdateProgressObj, name, obj);
}

int CPlRuvoAVObject::PlayStateChangeCallback(_NPPluginObjInfo*) {
  NotifyPlayState(stAVObjMember.mplayState);
  return 1;
}

void CPlRuvoAVObject::NotifyPlayState(int32_t state) {
  // The digit is taken now, not when the page is called: two changes in one
  // operation reach the page as two calls with their own digits.
  const std::string digit = PlayStateDigit(state);
  NPLOG_AS("PlayStateChangeCallback", nplog::kInfo, "[%s][%s][%s]",
           monPlayStateChangeName != nullptr ? monPlayStateChangeName : "", digit.c_str(), "");
  PluginCall(eCALLBACK_PLAY_STATE_CHANGE, digit, "", CallbackOrigin::kOwnOperation);
}

}  // namespace NSPlRuvoAVObject
