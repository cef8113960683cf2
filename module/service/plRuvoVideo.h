// Asks the video service once, at creation, for the on-screen display's
// resolution and keeps the answer with the OSD height it implies.
#ifndef SERVICE_PLRUVOVIDEO_H
#define SERVICE_PLRUVOVIDEO_H

#include <cstdint>

#include "service/ZorBaseVideo.h"

namespace NSPlRuvoAVObject {

class CPlRuvoVideo final : public CZorBaseVideo {
 public:
  CPlRuvoVideo();
  ~CPlRuvoVideo() override;

  // The resolution code, 5 for an error answer, -1 for a non-integer one.
  int GetOSDResolution();

  int32_t m_osdResolution = 5;
  int32_t m_osdHeight = -1;
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_PLRUVOVIDEO_H
