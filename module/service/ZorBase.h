// The AV object's connection to the platform's player service: the command
// family, the tagged-result readers, the page-script callback registrations
// and the hand-over of player events to the browser's main thread.
#ifndef SERVICE_ZORBASE_H
#define SERVICE_ZORBASE_H

#include <cstdint>
#include <string>

#include "npruntime.h"
#include "service/AVObjMember.h"
#include "service/ZorCommandFamily.h"

struct _NPPluginObjInfo;  // opaque per-call record; never read

namespace NSPlRuvoAVObject {

// Which page callback a delivery is for.
enum eCallbackKind : int32_t {
  eCALLBACK_PLAY_STATE_CHANGE = 0,
  eCALLBACK_UPDATE_PROGRESS = 1,
};

class CZorBase : public CZorCommandFamily<_NPPluginObjInfo> {
 public:
  CZorBase();
  ~CZorBase() override;

  int Open(std::string service, std::string version, std::string name);
  void Close();

  // Player events, on the service library's thread.
  int OnEvent(int type, std::string param1, std::string param2) override;

  // Schedules a call of the page callback `kind` with two texts on the
  // browser's main thread; the registration is read when the call runs, so
  // the service thread never touches a browser object. Safe from any
  // thread. Always 1.
  int PluginCall(eCallbackKind kind, std::string param1, std::string param2,
                 bool fromPlayerEvent = false);

  // Runs one scheduled call on the main thread. The object may be destroyed
  // by the page callback it runs: nothing of it is touched after the call.
  void Deliver(eCallbackKind kind, const std::string& param1,
               const std::string& param2, bool fromPlayerEvent);

  // Host handles, stored by the plug-in instance right after construction.
  NPObject* mwindowObj = nullptr;  // not owned
  NPP mnpInstance = nullptr;

  // Page callbacks (main thread only). Objects hold one reference; names
  // are NPN_MemAlloc buffers owned here.
  NPObject* monPlayStateChangeObj = nullptr;
  char* monPlayStateChangeName = nullptr;
  NPObject* monUpdateProgressObj = nullptr;
  char* monUpdateProgressName = nullptr;

  stAVObjMember_t stAVObjMember;

 private:
  void ReleaseCallbacks();
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ZORBASE_H
