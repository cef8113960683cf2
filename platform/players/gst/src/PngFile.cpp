#include "PngFile.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include "VideoWindow.h"

namespace players {

namespace {

constexpr GstClockTime kEncodeTimeout = 10 * GST_SECOND;

GstSample* RawSample(const std::vector<uint8_t>& pixels, int width, int height) {
  GstBuffer* buffer = gst_buffer_new_memdup(pixels.data(), pixels.size());
  GstCaps* caps = PlaneFrameCaps(width, height);
  gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, 0, 1, nullptr);
  GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
  gst_caps_unref(caps);
  gst_buffer_unref(buffer);
  return sample;
}

bool WriteBuffer(GstBuffer* buffer, const std::string& path) {
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
  const bool written = g_file_set_contents(path.c_str(), reinterpret_cast<const gchar*>(map.data),
                                           static_cast<gssize>(map.size), nullptr);
  gst_buffer_unmap(buffer, &map);
  return written;
}

}  // namespace

bool WriteRgbxPng(const std::vector<uint8_t>& pixels, int width, int height,
                  const std::string& path) {
  if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4) return false;
  GstSample* raw = RawSample(pixels, width, height);
  GstCaps* png = gst_caps_new_empty_simple("image/png");
  GstSample* encoded = gst_video_convert_sample(raw, png, kEncodeTimeout, nullptr);
  gst_caps_unref(png);
  gst_sample_unref(raw);
  if (encoded == nullptr) return false;
  const bool written = WriteBuffer(gst_sample_get_buffer(encoded), path);
  gst_sample_unref(encoded);
  return written;
}

}  // namespace players
