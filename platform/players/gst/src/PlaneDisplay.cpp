#include "PlaneDisplay.h"

#include <gst/app/gstappsrc.h>

#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

#include "VideoPlane.h"
#include "VideoWindow.h"
#include "players/GstPlayerService.h"

namespace players {

namespace {

// Ten pictures a second: enough to follow playback by eye. Each one scales
// every connection's latest frame, so a full frame rate would cost a core.
constexpr std::chrono::milliseconds kRefreshInterval{100};

// ximagesink rather than autovideosink: it needs nothing but an X server,
// so it behaves the same on a desktop and under a virtual display.
constexpr char kPipeline[] =
    "appsrc name=plane is-live=true format=time do-timestamp=true "
    "! videoconvert ! videoscale ! video/x-raw,width=960,height=540 "
    "! ximagesink name=window sync=false";

std::string ErrorOnBus(GstElement* pipeline) {
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
  gst_object_unref(bus);
  if (message == nullptr) return "the window could not be opened";
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  std::string text = error != nullptr ? error->message : "the window could not be opened";
  g_clear_error(&error);
  gst_message_unref(message);
  return text;
}

GstBuffer* WrapPicture(std::vector<uint8_t> pixels) {
  auto* owned = new std::vector<uint8_t>(std::move(pixels));
  return gst_buffer_new_wrapped_full(
      GST_MEMORY_FLAG_READONLY, owned->data(), owned->size(), 0, owned->size(), owned,
      [](gpointer data) { delete static_cast<std::vector<uint8_t>*>(data); });
}

}  // namespace

std::unique_ptr<PlaneDisplay> PlaneDisplay::Open(std::shared_ptr<const VideoPlane> plane,
                                                 std::string* error) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    *error = "no display to show the video plane on (DISPLAY is not set)";
    return nullptr;
  }
  GError* parseError = nullptr;
  GstElement* pipeline = gst_parse_launch(kPipeline, &parseError);
  if (pipeline == nullptr || parseError != nullptr) {
    *error = parseError != nullptr ? parseError->message : "no window sink";
    g_clear_error(&parseError);
    if (pipeline != nullptr) gst_object_unref(pipeline);
    return nullptr;
  }
  // The sink connects to the X server on its way to READY: a display that
  // cannot be opened fails here, not later on the refresh thread.
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    *error = ErrorOnBus(pipeline);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return nullptr;
  }
  return std::unique_ptr<PlaneDisplay>(new PlaneDisplay(std::move(plane), pipeline));
}

PlaneDisplay::PlaneDisplay(std::shared_ptr<const VideoPlane> plane, GstElement* pipeline)
    : m_plane(std::move(plane)),
      m_pipeline(pipeline),
      m_source(gst_bin_get_by_name(GST_BIN(pipeline), "plane")) {
  GstCaps* caps =
      PlaneFrameCaps(GstPlayerService::kPlaneWidth, GstPlayerService::kPlaneHeight);
  gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, 0, 1, nullptr);
  gst_app_src_set_caps(GST_APP_SRC(m_source), caps);
  gst_caps_unref(caps);
  m_refresher = std::thread([this] { Refresh(); });
}

PlaneDisplay::~PlaneDisplay() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_all();
  m_refresher.join();
  gst_element_set_state(m_pipeline, GST_STATE_NULL);
  gst_object_unref(m_source);
  gst_object_unref(m_pipeline);
}

void PlaneDisplay::Refresh() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_stopping) {
    lock.unlock();
    ShowPlane();
    lock.lock();
    m_wake.wait_for(lock, kRefreshInterval, [this] { return m_stopping; });
  }
}

// A push into a window the user closed fails; the picture is dropped and
// the next one is tried as usual.
void PlaneDisplay::ShowPlane() {
  gst_app_src_push_buffer(GST_APP_SRC(m_source), WrapPicture(m_plane->Compose()));
}

}  // namespace players
