#include "VideoWindow.h"

#include <gst/video/video.h>

namespace players {

namespace {

// Scaling one frame on the caller's thread; generous for a loaded machine.
constexpr GstClockTime kScaleTimeout = 5 * GST_SECOND;

}  // namespace

GstCaps* PlaneFrameCaps(int width, int height) {
  GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGBx",
                                      nullptr);
  if (width > 0 && height > 0) {
    // With square pixels of a fixed size, videoscale fits the picture in
    // and pads the rest with black rather than distorting it.
    gst_caps_set_simple(caps, "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                        "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
  }
  return caps;
}

bool HasPlaneFormat(GstSample* sample, int width, int height) {
  GstVideoInfo info;
  GstCaps* caps = gst_sample_get_caps(sample);
  return caps != nullptr && gst_video_info_from_caps(&info, caps) &&
         GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_RGBx &&
         GST_VIDEO_INFO_WIDTH(&info) == width && GST_VIDEO_INFO_HEIGHT(&info) == height;
}

VideoWindow::VideoWindow(GstElement* frames)
    : m_frames(GST_ELEMENT(gst_object_ref(frames))), m_area(FullPlane()) {}

VideoWindow::~VideoWindow() { gst_object_unref(m_frames); }

void VideoWindow::Place(const PlaneRect& area) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_area = area;
}

PlaneRect VideoWindow::Area() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_area;
}

// Scaling happens here, per picture taken, rather than per frame in the
// pipeline: the plane is composed far less often than frames arrive, and a
// frame kept at its own size can be fitted into any area later on.
GstSample* VideoWindow::FrameSizedFor(const PlaneRect& area) const {
  if (area.Empty()) return nullptr;
  GstSample* last = nullptr;
  g_object_get(m_frames, "last-sample", &last, nullptr);
  if (last == nullptr) return nullptr;
  GstCaps* caps = PlaneFrameCaps(area.width, area.height);
  GstSample* scaled = gst_video_convert_sample(last, caps, kScaleTimeout, nullptr);
  gst_caps_unref(caps);
  gst_sample_unref(last);
  return scaled;
}

}  // namespace players
