// The video plane for players that decode nothing (the simulated and the
// scripted player): each connection that was given media shows as a filled
// rectangle in its display area, coloured and labelled by its play state,
// where a real player would show the picture. It sits in front of the
// player service and watches the commands and events that pass.
#ifndef PLAYERS_STANDINPLANE_H
#define PLAYERS_STANDINPLANE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zor/ServiceRegistry.h"

namespace players {

class StandInWindows;

class StandInPlane : public zor::Service {
 public:
  explicit StandInPlane(std::shared_ptr<zor::Service> player);
  ~StandInPlane() override;

  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<zor::EventSink> events) override;

  // The plane as RGBx rows (4 bytes a pixel, no padding), the format of
  // the GStreamer player's plane: black, and each connection's rectangle,
  // later connections on top. Thread-safe.
  std::vector<uint8_t> Compose() const;

 private:
  const std::shared_ptr<zor::Service> m_player;
  const std::shared_ptr<StandInWindows> m_windows;
};

}  // namespace players

#endif  // PLAYERS_STANDINPLANE_H
