#include "PngPicture.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>

namespace playertest {

namespace {

constexpr std::chrono::seconds kDecodeDeadline{10};

std::optional<Picture> ToPicture(GstSample* sample) {
  GstVideoInfo info;
  GstVideoFrame frame;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
      !gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
    return std::nullopt;
  }
  Picture picture;
  picture.width = GST_VIDEO_INFO_WIDTH(&info);
  picture.height = GST_VIDEO_INFO_HEIGHT(&info);
  const size_t row = static_cast<size_t>(picture.width) * 3;
  picture.rgb.resize(row * picture.height);
  const auto* data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
  const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(picture.rgb.data() + row * y, data + static_cast<size_t>(stride) * y, row);
  }
  gst_video_frame_unmap(&frame);
  return picture;
}

// The picture is copied out on the thread that decoded it and handed over
// through a promise, a hand-over the thread sanitizer can follow.
struct Delivery {
  std::promise<std::optional<Picture>> picture;
  bool delivered = false;
};

GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
  auto* delivery = static_cast<Delivery*>(data);
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!delivery->delivered) {
    delivery->delivered = true;
    delivery->picture.set_value(sample != nullptr ? ToPicture(sample) : std::nullopt);
  }
  if (sample != nullptr) gst_sample_unref(sample);
  return GST_FLOW_EOS;
}

// Decodes the first picture that `source` (a pipeline description ending
// in raw video) gives.
std::optional<Picture> FirstPicture(const std::string& source) {
  const std::string description =
      source + " ! videoconvert ! video/x-raw,format=RGB ! appsink name=frames sync=false";
  GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
  if (pipeline == nullptr) return std::nullopt;
  Delivery delivery;
  std::future<std::optional<Picture>> decoded = delivery.picture.get_future();
  GstElement* frames = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &OnSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(frames), &callbacks, &delivery, nullptr);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  std::optional<Picture> picture;
  if (decoded.wait_for(kDecodeDeadline) == std::future_status::ready) picture = decoded.get();
  gst_element_set_state(pipeline, GST_STATE_NULL);  // the streaming thread is gone after this
  gst_object_unref(frames);
  gst_object_unref(pipeline);
  return picture;
}

}  // namespace

std::optional<Picture> ReadPng(const std::string& path) {
  gchar* location = g_strescape(path.c_str(), nullptr);
  std::string source = std::string("filesrc location=\"") + location + "\" ! pngdec";
  g_free(location);
  return FirstPicture(source);
}

std::optional<Picture> GrabScreen(const std::string& display) {
  gchar* name = g_strescape(display.c_str(), nullptr);
  std::string source = std::string("ximagesrc display-name=\"") + name +
                       "\" num-buffers=1 use-damage=false show-pointer=false";
  g_free(name);
  return FirstPicture(source);
}

std::optional<Rect> LitBounds(const Picture& picture) {
  int left = picture.width, top = picture.height, right = -1, bottom = -1;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.IsBlack(x, y)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

}  // namespace playertest
