// The OSD resolution query.
#include "service/plRuvoVideo.h"

#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "plRuvoVideo";

int32_t OsdHeightFor(int32_t resolution) {
  switch (resolution) {
    case 0: return 540;
    case 1: case 2: return 768;
    default: return 1080;
  }
}

}  // namespace

CPlRuvoVideo::CPlRuvoVideo() {
  // This class is final: once here, events may reach OnEvent safely.
  OpenVideo();
  m_osdResolution = GetOSDResolution();
  m_osdHeight = OsdHeightFor(m_osdResolution);
}

// Closed before the object is taken apart, while OnEvent may still run.
CPlRuvoVideo::~CPlRuvoVideo() { Close(); }

int CPlRuvoVideo::GetOSDResolution() {
  NPLOG_ENTRY();
  std::string result = Execute("GetOSDResolution", "", "", "", "");
  if (IsError(result)) return 5;
  int resolution = -1;
  GetInteger(result, &resolution);
  NPLOG(nplog::kTrace, "[GetOSDResolution]:%d", resolution);
  return resolution;
}

}  // namespace NSPlRuvoAVObject
