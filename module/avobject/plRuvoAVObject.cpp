// The AV object's record: construction, the media URL, the plug-in info and
// the accessors.
#include "avobject/plRuvoAVObject.h"

#include <cstdio>
#include <cstring>

#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {
constexpr char kLogSource[] = "plRuvoAVObject";
constexpr char kVersionTag[] = "AVOBJECT-0009";
constexpr size_t kPluginInfoSize = 1024;
}  // namespace

CPlRuvoAVObject::CPlRuvoAVObject() {
  stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_STOP;
  mscreenHeight = -1;
  // Last: from here on the library may call OnEvent on its own thread.
  OpenPlayer();
}

// First: no OnEvent may run while the object is taken apart.
CPlRuvoAVObject::~CPlRuvoAVObject() { CloseAndRelease(); }

int CPlRuvoAVObject::Init(int argc, char** argn, char** argv) {
  if (argc < 1 || argn == nullptr || argv == nullptr) return 1;
  for (int i = 0; i < argc; ++i) {
    if (argn[i] != nullptr && strcmp(argn[i], "data") == 0) {
      // A "data" attribute without a value leaves the URL as it is.
      if (argv[i] != nullptr) SetMediaURL(nullptr, argv[i]);
      break;
    }
  }
  return 1;
}

int CPlRuvoAVObject::SetMediaURL(_NPPluginObjInfo*, const char* url) {
  NPLOG_ENTRY();
  stAVObjMember.mmediaURL.clear();
  if (url != nullptr) stAVObjMember.mmediaURL.append(url);
  stAVObjMember.mplayerURL = stAVObjMember.mmediaURL;
  return 1;
}

int CPlRuvoAVObject::GetMediaURL(_NPPluginObjInfo*, std::string& out) {
  out = stAVObjMember.mmediaURL;
  NPLOG(nplog::kInfo, "GetMediaURL:[%s]", out.c_str());
  return 1;
}

int CPlRuvoAVObject::GetPluginInfo(_NPPluginObjInfo*, _PL_CMN_INFO kind, char* buf) {
  if (buf == nullptr) return -3;
  if (kind != ePL_CMN_INFO_VERSION) return -4;
  snprintf(buf, kPluginInfoSize, "%s\n", kVersionTag);
  return 1;
}

bool CPlRuvoAVObject::IsPause() {
  return stAVObjMember.mplayState == eAVOBJ_PLAYSTATE_PAUSE;
}

int CPlRuvoAVObject::GetPlayState(_NPPluginObjInfo*) { return stAVObjMember.mplayState; }
int CPlRuvoAVObject::GetSpeed(_NPPluginObjInfo*) { return stAVObjMember.mspeed; }

int CPlRuvoAVObject::GetError(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::next(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::previous(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::getWidth(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::getHeight(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::setWidth(_NPPluginObjInfo*, int) { return 1; }
int CPlRuvoAVObject::setHeight(_NPPluginObjInfo*, int) { return 1; }
int CPlRuvoAVObject::getDataType(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::getMaxPrerollBufferSize(_NPPluginObjInfo*) {
  return stAVObjMember.mmaxPrerollBufferSize;
}
int CPlRuvoAVObject::setMaxPrerollBufferSize(int size) {
  stAVObjMember.mmaxPrerollBufferSize = size;
  return 1;
}
int CPlRuvoAVObject::isFullScreen(_NPPluginObjInfo*) {
  return stAVObjMember.mfullScreen ? 1 : 0;
}
int CPlRuvoAVObject::isFullSize(int, int, int, int) { return 1; }
int CPlRuvoAVObject::GetNrTracks(_NPPluginObjInfo*) { return 1; }
int CPlRuvoAVObject::GetCurTrackId(_NPPluginObjInfo*) {
  return static_cast<int>(stAVObjMember.mcurTrackId);
}
int CPlRuvoAVObject::SetCurTrackId(_NPPluginObjInfo*, unsigned short id) {
  stAVObjMember.mcurTrackId = id;
  return 1;
}
int CPlRuvoAVObject::GetPersist(_NPPluginObjInfo*) { return 1; }
int CPlRuvoAVObject::SetPersist(_NPPluginObjInfo*, bool) { return 1; }
// Accepted and dropped: nothing is stored, retained or freed.
int CPlRuvoAVObject::SetonFullScreenChange(_NPPluginObjInfo*, char*, NPObject*) {
  return 1;
}
int CPlRuvoAVObject::SetonPrerollBufferReady(_NPPluginObjInfo*, char*, NPObject*) {
  return 1;
}
int CPlRuvoAVObject::FullScreenChangeCallback(_NPPluginObjInfo*) { return 1; }
void CPlRuvoAVObject::setErrorState(_NPPluginObjInfo*) {}
int CPlRuvoAVObject::CheckPluginType(char*) { return 2; }
void CPlRuvoAVObject::AllocObjMember(int, AVObjectType_t) {}
void CPlRuvoAVObject::checkStateChange(AVObjectState_t) {}
int CPlRuvoAVObject::setPlayerBufferSize(_NPPluginObjInfo*, int) { return 1; }
int CPlRuvoAVObject::setPrerollBufferSize(_NPPluginObjInfo*, int) { return 0; }
const char* CPlRuvoAVObject::GetSinkProtocolInfo(_NPPluginObjInfo*) { return ""; }
int CPlRuvoAVObject::GetSAP(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::GetCurrentSAP(_NPPluginObjInfo*) { return 0; }
int CPlRuvoAVObject::GetSAPLan(_NPPluginObjInfo*, int) { return 0; }
int CPlRuvoAVObject::SetSAP(_NPPluginObjInfo*, int) { return 1; }
void CPlRuvoAVObject::InitObjMember() {}
void CPlRuvoAVObject::AVObject_AsyncEvent(char*, NPObject*) {}
void CPlRuvoAVObject::AVObject_Shutdown() {}
const char* CPlRuvoAVObject::getParamAttr(const char*, int, char**, char**) {
  return "";
}
int CPlRuvoAVObject::GetUnsignedLong(std::string&, unsigned long*) { return 1; }
void CPlRuvoAVObject::OnNew(_NCDdeEvent*) {}
void CPlRuvoAVObject::OnShutdown(_NCDdeEvent*) {}

}  // namespace NSPlRuvoAVObject
