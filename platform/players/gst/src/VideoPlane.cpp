#include "VideoPlane.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstring>

#include "PngFile.h"
#include "players/GstPlayerService.h"

namespace players {

namespace {

constexpr int kWidth = GstPlayerService::kPlaneWidth;
constexpr int kHeight = GstPlayerService::kPlaneHeight;
constexpr int kPixelBytes = 4;

// Copies an RGBx frame of exactly the area's size into the plane.
void Draw(GstSample* frame, const PlaneRect& area, std::vector<uint8_t>& plane) {
  GstVideoInfo info;
  if (!HasPlaneFormat(frame, area.width, area.height) ||
      !gst_video_info_from_caps(&info, gst_sample_get_caps(frame))) {
    return;
  }
  GstVideoFrame mapped;
  if (!gst_video_frame_map(&mapped, &info, gst_sample_get_buffer(frame), GST_MAP_READ)) return;
  const auto* pixels = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 0));
  const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 0);
  const size_t rowBytes = static_cast<size_t>(area.width) * kPixelBytes;
  for (int row = 0; row < area.height; ++row) {
    const size_t offset =
        (static_cast<size_t>(area.y + row) * kWidth + static_cast<size_t>(area.x)) * kPixelBytes;
    std::memcpy(plane.data() + offset, pixels + static_cast<size_t>(row) * stride, rowBytes);
  }
  gst_video_frame_unmap(&mapped);
}

}  // namespace

void VideoPlane::Add(std::shared_ptr<VideoWindow> window) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_windows.push_back(std::move(window));
}

void VideoPlane::Remove(const VideoWindow* window) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                 [window](const auto& w) { return w.get() == window; }),
                  m_windows.end());
}

std::vector<std::shared_ptr<VideoWindow>> VideoPlane::Windows() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_windows;
}

std::vector<uint8_t> VideoPlane::Compose() const {
  std::vector<uint8_t> plane(static_cast<size_t>(kWidth) * kHeight * kPixelBytes, 0);
  // Frames are fetched outside the lock: scaling one may take a while.
  for (const auto& window : Windows()) {
    const PlaneRect area = window->Area();
    GstSample* frame = window->FrameSizedFor(area);
    if (frame == nullptr) continue;
    Draw(frame, area, plane);
    gst_sample_unref(frame);
  }
  return plane;
}

bool VideoPlane::WritePng(const std::string& path) const {
  return WriteRgbxPng(Compose(), kWidth, kHeight, path);
}

}  // namespace players
