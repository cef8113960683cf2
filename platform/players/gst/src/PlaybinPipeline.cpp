#include "PlaybinPipeline.h"

namespace players {

namespace {

// playbin's flags: video and audio with software volume. Subtitles,
// visualisations and colour balance are left out: nothing here shows them.
constexpr guint kPlayFlags = 0x1 | 0x2 | 0x10;

constexpr int64_t kNsPerMs = 1000000;

GstElement* Make(const char* factory) { return gst_element_factory_make(factory, nullptr); }

// Clocked, so that playback runs in real time without an audio device.
GstElement* ClockedFakeSink() {
  GstElement* sink = Make("fakesink");
  if (sink != nullptr) g_object_set(sink, "sync", TRUE, nullptr);
  return sink;
}

// Keeps only the latest frame, which the plane reads as "last-sample". Not
// waiting on end of stream: nobody pulls samples, and playbin's end of
// stream must not wait for that.
GstElement* FrameSink() {
  GstElement* sink = Make("appsink");
  if (sink == nullptr) return nullptr;
  GstCaps* caps = PlaneFrameCaps(0, 0);
  g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 1u, "drop", TRUE,
               "wait-on-eos", FALSE, "enable-last-sample", TRUE, "emit-signals", FALSE, nullptr);
  gst_caps_unref(caps);
  return sink;
}

// Gives `bin` a sink pad that feeds `first`.
GstElement* WithSinkPad(GstElement* bin, GstElement* first) {
  GstPad* target = gst_element_get_static_pad(first, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
  gst_object_unref(target);
  return bin;
}

}  // namespace

PlaybinPipeline::PlaybinPipeline(PlaneSink planeSink) {
  m_playbin = Make("playbin");
  if (m_playbin == nullptr) return;
  gst_object_ref_sink(m_playbin);
  GstElement* video = MakeVideoSink(planeSink);
  GstElement* audio = ClockedFakeSink();
  if (video == nullptr || audio == nullptr) {
    if (video != nullptr) gst_object_unref(gst_object_ref_sink(video));
    if (audio != nullptr) gst_object_unref(gst_object_ref_sink(audio));
    gst_object_unref(m_playbin);
    m_playbin = nullptr;
    m_window.reset();
    return;
  }
  g_object_set(m_playbin, "flags", kPlayFlags, "video-sink", video, "audio-sink", audio,
               nullptr);
}

PlaybinPipeline::~PlaybinPipeline() {
  Shutdown();
  if (m_playbin != nullptr) gst_object_unref(m_playbin);
}

void PlaybinPipeline::Shutdown() {
  if (m_playbin != nullptr) gst_element_set_state(m_playbin, GST_STATE_NULL);
}

// videoconvert ! appsink: frames are kept at their own size in the plane's
// pixel format; the plane scales the latest one into the display area.
GstElement* PlaybinPipeline::MakeVideoSink(PlaneSink planeSink) {
  if (planeSink == PlaneSink::kDiscard) return ClockedFakeSink();
  GstElement* convert = Make("videoconvert");
  GstElement* frames = FrameSink();
  if (convert == nullptr || frames == nullptr) {
    for (GstElement* e : {convert, frames}) {
      if (e != nullptr) gst_object_unref(gst_object_ref_sink(e));
    }
    return nullptr;
  }
  GstElement* bin = gst_bin_new("plane-video");
  gst_bin_add_many(GST_BIN(bin), convert, frames, nullptr);
  gst_element_link(convert, frames);
  m_window = std::make_shared<VideoWindow>(frames);
  return WithSinkPad(bin, convert);
}

void PlaybinPipeline::SetUri(const std::string& uri) {
  g_object_set(m_playbin, "uri", uri.c_str(), nullptr);
}

GstStateChangeReturn PlaybinPipeline::SetState(GstState state) {
  return gst_element_set_state(m_playbin, state);
}

bool PlaybinPipeline::Seek(double rate, int64_t positionMs) {
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  return gst_element_seek(m_playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          positionMs * kNsPerMs, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

std::optional<int64_t> PlaybinPipeline::PositionMs() const {
  gint64 position = -1;
  if (!gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position) || position < 0) {
    return std::nullopt;
  }
  return position / kNsPerMs;
}

std::optional<int64_t> PlaybinPipeline::DurationMs() const {
  gint64 duration = -1;
  if (!gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration) || duration < 0) {
    return std::nullopt;
  }
  return duration / kNsPerMs;
}

}  // namespace players
