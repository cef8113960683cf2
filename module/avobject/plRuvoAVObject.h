// The AV object: the player control logic of one page element. It keeps the
// media URL, play state, position, speed, full-screen flag, display area and
// page callbacks, and drives the player service through its CZorBase base.
// Every operation runs on the browser's main thread; the `info` argument is
// an opaque per-call record that no operation reads.
#ifndef AVOBJECT_PLRUVOAVOBJECT_H
#define AVOBJECT_PLRUVOAVOBJECT_H

#include <string>

#include "npruntime.h"
#include "service/ZorBase.h"

struct _NCDdeEvent;

namespace NSPlRuvoAVObject {

// Streaming component of an instance, chosen from its MIME type.
enum COMPONENT_TYPE : int32_t {
  eCOMPONENT_HAS = 0,    // "application/dash+xml"
  eCOMPONENT_HLS = 1,    // the two "application/vnd.apple.mpegurl" types
  eCOMPONENT_OTHER = 3,  // every other type
};

enum _PL_CMN_INFO : int32_t { ePL_CMN_INFO_VERSION = 0 };

enum AVObjectType_t : int32_t {};
enum AVObjectState_t : int32_t {};

// Final: the player connection opens as the constructor's last step and
// closes as the destructor's first, which holds only for the most-derived
// class.
class CPlRuvoAVObject final : public CZorBase {
 public:
  CPlRuvoAVObject();
  ~CPlRuvoAVObject() override;

  // Takes the element's attributes: the first "data" is the media URL.
  int Init(int argc, char** argn, char** argv);
  int SetMediaURL(_NPPluginObjInfo* info, const char* url);
  int GetMediaURL(_NPPluginObjInfo* info, std::string& out);
  // 1, -3 for a null buffer, -4 for a kind other than 0. `buf` holds 1024.
  int GetPluginInfo(_NPPluginObjInfo* info, _PL_CMN_INFO kind, char* buf);
  bool IsPause();
  int GetPlayState(_NPPluginObjInfo* info);
  int GetSpeed(_NPPluginObjInfo* info);

  // Transport: 1 when the player accepted, 0 otherwise.
  int Play(_NPPluginObjInfo* info, int speed, COMPONENT_TYPE type);
  int Stop(_NPPluginObjInfo* info);
  int Pause(_NPPluginObjInfo* info);
  int Resume(_NPPluginObjInfo* info);

  // Seek to a whole second by a relative jump from the last reported
  // position; targets within 2 seconds of it need no jump.
  int Seek(_NPPluginObjInfo* info, int targetSeconds);
  bool GetPlayPosition(_NPPluginObjInfo* info, unsigned long* out);
  bool GetPlayTime(_NPPluginObjInfo* info, unsigned long* out);

  // Callback registration. A non-null name (an NPN_MemAlloc buffer, owned
  // from here on) replaces the name; otherwise a non-null object replaces
  // the object. 0 when both are null.
  int SetonPlayStateChange(_NPPluginObjInfo* info, char* name, NPObject* obj);
  int SetonUpdateProgress(_NPPluginObjInfo* info, char* name, NPObject* obj);
  int PlayStateChangeCallback(_NPPluginObjInfo* info);

  // Video-plane placement, in 1920 x 1080 coordinates.
  int SetDisplayArea(int x, int y, int w, int h);
  int SetFullScreen(_NPPluginObjInfo* info, bool on);

  // Accessors and operations kept for the interface's sake; most do nothing.
  int GetError(_NPPluginObjInfo* info);
  int next(_NPPluginObjInfo* info);
  int previous(_NPPluginObjInfo* info);
  int getWidth(_NPPluginObjInfo* info);
  int getHeight(_NPPluginObjInfo* info);
  int setWidth(_NPPluginObjInfo* info, int width);
  int setHeight(_NPPluginObjInfo* info, int height);
  int getDataType(_NPPluginObjInfo* info);
  int getMaxPrerollBufferSize(_NPPluginObjInfo* info);
  int setMaxPrerollBufferSize(int size);
  int isFullScreen(_NPPluginObjInfo* info);
  int isFullSize(int x, int y, int w, int h);
  int GetNrTracks(_NPPluginObjInfo* info);
  int GetCurTrackId(_NPPluginObjInfo* info);
  int SetCurTrackId(_NPPluginObjInfo* info, unsigned short id);
  int GetPersist(_NPPluginObjInfo* info);
  int SetPersist(_NPPluginObjInfo* info, bool persist);
  int SetonFullScreenChange(_NPPluginObjInfo* info, char* name, NPObject* obj);
  int SetonPrerollBufferReady(_NPPluginObjInfo* info, char* name,
                              NPObject* obj);
  int FullScreenChangeCallback(_NPPluginObjInfo* info);
  void setErrorState(_NPPluginObjInfo* info);
  int CheckPluginType(char* type);
  void AllocObjMember(int index, AVObjectType_t type);
  void checkStateChange(AVObjectState_t state);
  int setPlayerBufferSize(_NPPluginObjInfo* info, int size);
  int setPrerollBufferSize(_NPPluginObjInfo* info, int size);
  const char* GetSinkProtocolInfo(_NPPluginObjInfo* info);
  int GetSAP(_NPPluginObjInfo* info);
  int GetCurrentSAP(_NPPluginObjInfo* info);
  int GetSAPLan(_NPPluginObjInfo* info, int index);
  int SetSAP(_NPPluginObjInfo* info, int index);
  void InitObjMember();
  void AVObject_AsyncEvent(char* name, NPObject* obj);
  void AVObject_Shutdown();
  const char* getParamAttr(const char* name, int argc, char** argn,
                           char** argv);
  int GetUnsignedLong(std::string& text, unsigned long* out);
  void OnNew(_NCDdeEvent* event);
  void OnShutdown(_NCDdeEvent* event);

  // Screen height: the page widget's height, set by the plug-in instance.
  int32_t mscreenHeight = -1;

 private:
  // Tells page script of the play state `state`.
  void NotifyPlayState(int32_t state);
  // Sets the play state, logs `stateMessage` at `level` on behalf of
  // `operation` and notifies page script of that very state, whatever a
  // player event may have set meanwhile.
  void ChangePlayState(const char* operation, eAVObjPlayState state, int level,
                       const char* stateMessage);
  // Sends "Stop", "Pause" or "Resume" (also the operation's name) and moves
  // to `target`, or to the error state logged at `refusedLevel` when the
  // player refuses.
  int SendTransportCommand(const char* command, eAVObjPlayState target,
                           const char* targetMessage, int refusedLevel);
  // Sends a query for `operation`; stores its integer answer in `out` when
  // above 0.
  bool QueryPositive(const char* operation, const char* command, unsigned long* out);
};

}  // namespace NSPlRuvoAVObject

#endif  // AVOBJECT_PLRUVOAVOBJECT_H
