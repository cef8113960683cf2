// The AV object's connection to the platform's player service: the command
// family, the tagged-result readers, the page-script callback registrations
// and the hand-over of player events to the browser's main thread.
#ifndef SERVICE_ZORBASE_H
#define SERVICE_ZORBASE_H

#include <atomic>
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

// Where a page callback comes from. A player event arrives on the service
// library's thread, which never reads a registration or touches a browser
// object: everything that names the registered callback waits for the main
// thread. The AV object's own state changes are on the main thread already.
enum class CallbackOrigin { kPlayerEvent, kOwnOperation };

// The one-digit text of a play state, as page callbacks receive it.
std::string PlayStateDigit(int32_t state);

// The player connection. It does not open itself: the most-derived class
// opens it as the last step of its constructor and closes it as the first
// step of its destructor, so that the library's thread never calls OnEvent
// on an object whose construction or destruction is under way.
class CZorBase : public CZorCommandFamily<_NPPluginObjInfo> {
 public:
  CZorBase();
  ~CZorBase() override;

  int Open(std::string service, std::string version, std::string name);
  void Close();

  // Player events, on the service library's thread.
  int OnEvent(int type, std::string param1, std::string param2) override;

  // Schedules a call of the page callback `kind` with two texts on the
  // browser's main thread; the registration is read when the call runs.
  // Safe from any thread. Always 1.
  int PluginCall(eCallbackKind kind, std::string param1, std::string param2,
                 CallbackOrigin origin);

  // Runs one scheduled call on the main thread. The object may be destroyed
  // by the page callback it runs: nothing of it is touched after the call.
  void Deliver(eCallbackKind kind, const std::string& param1,
               const std::string& param2, CallbackOrigin origin);

  // Host handles, stored by the plug-in instance right after construction.
  // The instance handle is read by the service thread: a player event that
  // arrives before it is stored cannot reach the page and is dropped.
  NPObject* mwindowObj = nullptr;  // not owned
  std::atomic<NPP> mnpInstance{nullptr};

  // Page callbacks (main thread only). Objects hold one reference; names
  // are NPN_MemAlloc buffers owned here.
  NPObject* monPlayStateChangeObj = nullptr;
  char* monPlayStateChangeName = nullptr;
  NPObject* monUpdateProgressObj = nullptr;
  char* monUpdateProgressName = nullptr;

  stAVObjMember_t stAVObjMember;

 protected:
  // "Player", version "1.000": one attempt, its result ignored.
  void OpenPlayer();
  // Closes the connection, so that no event runs or starts, then drops the
  // deliveries still pending and the registrations. Safe to call again.
  void CloseAndRelease();

 private:
  // The lines that name the registered callback and how it will be called,
  // written on the main thread: what is registered, then, once a call was
  // queued, which form it takes.
  void LogRegistration(eCallbackKind kind);
  void LogScheduled(eCallbackKind kind);
  // OnEvent's work; its lines name OnEvent.
  void HandleEvent(int type, std::string param1, std::string param2);
  void ReleaseCallbacks();
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ZORBASE_H
