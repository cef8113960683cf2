// A player service built on GStreamer: every connection plays one URL
// (file or HTTP, progressive, HLS or DASH) through a playbin of its own and
// reports the playback as player events. Decoded video goes to one
// 1920 x 1080 video plane shared by all connections.
#ifndef PLAYERS_GSTPLAYERSERVICE_H
#define PLAYERS_GSTPLAYERSERVICE_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "players/DisplayArea.h"
#include "zor/ServiceRegistry.h"

namespace players {

class PlaneDisplay;
class VideoPlane;

// Where a connection's decoded video goes.
enum class PlaneSink {
  kVideoPlane,  // scaled into the connection's display area on the plane
  kDiscard,     // decoded and dropped: for hosts that show no video
};

struct GstPlayerSettings {
  // How long a started stream may go without reaching playback, or stay
  // buffering without progress, before it fails as unreachable.
  std::chrono::milliseconds stallTimeout{10000};
  PlaneSink planeSink = PlaneSink::kVideoPlane;
};

class GstPlayerService : public zor::Service {
 public:
  static constexpr int kPlaneWidth = players::kPlaneWidth;
  static constexpr int kPlaneHeight = players::kPlaneHeight;

  explicit GstPlayerService(GstPlayerSettings settings = {});
  ~GstPlayerService() override;

  // Refuses (null) only when GStreamer could not be initialised.
  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<zor::EventSink> events) override;

  // Writes the plane as it stands to a PNG file: each open connection's
  // latest frame in its display area, later connections on top, black
  // elsewhere. False when the picture could not be encoded or written.
  bool WritePlanePng(const std::string& path) const;
  // The plane as it stands, as RGBx rows (4 bytes a pixel, no padding).
  std::vector<uint8_t> ComposePlane() const;

  // Shows the plane in a window on the desktop from now until the service
  // is destroyed. False, with the reason in `error`, when no window can be
  // opened (no X display, or no window sink). Not thread-safe: call it from
  // the thread that owns the service.
  bool ShowPlaneInWindow(std::string* error);

 private:
  const GstPlayerSettings m_settings;
  const std::shared_ptr<VideoPlane> m_plane;
  std::unique_ptr<PlaneDisplay> m_display;
};

}  // namespace players

#endif  // PLAYERS_GSTPLAYERSERVICE_H
