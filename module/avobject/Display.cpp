// Placing the video on the 1920 x 1080 video plane: the element's area or
// the whole plane.
#include <cstdio>

#include "avobject/plRuvoAVObject.h"
#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "plRuvoAVObject";
constexpr int kPlaneWidth = 1920;
constexpr int kPlaneHeight = 1080;

}  // namespace

int CPlRuvoAVObject::SetDisplayArea(int x, int y, int w, int h) {
  NPLOG(nplog::kInfo, "SetDisplayArea:[%d][%d][%d][%d][%d]", x, y, w, h,
        static_cast<int>(mscreenHeight));
  // Values go as they come: no clamping, a negative one with its sign.
  std::string answer = ExecuteWithTenParameters(
      "SetDisplayArea", IntegerText(x), IntegerText(y), IntegerText(w),
      IntegerText(h), IntegerText(kPlaneHeight), "", "", "", "", "");
  if (IsAcceptedResult(answer)) {
    NPLOG(nplog::kTrace, "[SetDisplayArea:1]");
    return 1;
  }
  NPLOG(nplog::kTrace, "[SetDisplayArea:0]");
  return 0;
}

int CPlRuvoAVObject::SetFullScreen(_NPPluginObjInfo* info, bool on) {
  NPLOG_ENTRY();
  if (on == stAVObjMember.mfullScreen) return 1;
  stAVObjMember.mfullScreen = on;
  if (on) {
    SetDisplayArea(0, 0, kPlaneWidth, kPlaneHeight);
  } else {
    // Back to the element's area as last recorded, changes made while in
    // full screen included. A refused area leaves the flag changed.
    const stDisplayArea area = stAVObjMember.mdisplayArea;
    NPLOG(nplog::kInfo, "x: %d, y: %d, w: %d, h: %d\n", area.x, area.y, area.w, area.h);
    SetDisplayArea(area.x, area.y, area.w, area.h);
  }
  FullScreenChangeCallback(info);
  return 1;
}

}  // namespace NSPlRuvoAVObject
