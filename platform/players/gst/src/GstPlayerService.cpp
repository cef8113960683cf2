#include "players/GstPlayerService.h"

#include "GstRuntime.h"
#include "PlaneDisplay.h"
#include "PlayerSession.h"
#include "VideoPlane.h"

namespace players {

GstPlayerService::GstPlayerService(GstPlayerSettings settings)
    : m_settings(settings), m_plane(std::make_shared<VideoPlane>()) {
  EnsureGstreamer();
}

GstPlayerService::~GstPlayerService() = default;

std::unique_ptr<zor::ServiceSession> GstPlayerService::Connect(
    const std::string&, const std::string&, std::shared_ptr<zor::EventSink> events) {
  if (!EnsureGstreamer()) return nullptr;
  return std::make_unique<PlayerSession>(m_settings, m_plane, std::move(events));
}

bool GstPlayerService::ShowPlaneInWindow(std::string* error) {
  if (m_display) return true;
  if (!EnsureGstreamer()) {
    *error = "GStreamer could not be initialised";
    return false;
  }
  m_display = PlaneDisplay::Open(m_plane, error);
  return m_display != nullptr;
}

bool GstPlayerService::WritePlanePng(const std::string& path) const {
  return EnsureGstreamer() && m_plane->WritePng(path);
}

std::vector<uint8_t> GstPlayerService::ComposePlane() const {
  if (!EnsureGstreamer()) {
    return std::vector<uint8_t>(static_cast<size_t>(kPlaneWidth) * kPlaneHeight * 4, 0);
  }
  return m_plane->Compose();
}

}  // namespace players
