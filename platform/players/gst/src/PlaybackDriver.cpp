#include "PlaybackDriver.h"

#include <memory>

#include "ErrorClasses.h"
#include "PlayableUrl.h"
#include "PlayerEvents.h"

namespace players {

namespace {

constexpr std::chrono::milliseconds kProgressPeriod{500};

std::string ErrorText(GstMessage* message) {
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  std::string text = error != nullptr && error->message != nullptr ? error->message : "";
  if (error != nullptr) g_error_free(error);
  return text.empty() ? "Playback failed" : text;
}

// A run ended by the pipeline. A client that already moved on (stopped,
// or loaded another URL) keeps the phase it set.
void EndRun(PlaybackView& view, Phase ending) {
  if (view.phase != Phase::kStarted) return;
  view.phase = ending;
  view.seekTargetMs.reset();
}

}  // namespace

PlaybackDriver::PlaybackDriver(PlaybinPipeline& pipeline, SessionView& view, LoopThread& loop,
                               std::shared_ptr<zor::EventSink> events,
                               std::chrono::milliseconds stallTimeout)
    : m_pipeline(pipeline),
      m_view(view),
      m_events(std::move(events)),
      m_stallTimeout(stallTimeout),
      m_loop(loop),
      m_bus(pipeline.Valid() ? gst_element_get_bus(pipeline.Element()) : nullptr),
      m_progress(loop),
      m_stall(loop) {
  if (m_bus != nullptr) gst_bus_set_sync_handler(m_bus, &PlaybackDriver::OnBusMessage, this, nullptr);
}

PlaybackDriver::~PlaybackDriver() {
  if (m_bus == nullptr) return;
  gst_bus_set_sync_handler(m_bus, nullptr, nullptr, nullptr);
  gst_object_unref(m_bus);
}

// Down to NULL and on to `state`: whatever the pipeline posted until it
// got down belongs to the run before.
void PlaybackDriver::SetStateFresh(GstState state) {
  m_pipeline.SetState(GST_STATE_NULL);
  ++m_epoch;
  if (state != GST_STATE_NULL) m_pipeline.SetState(state);
}

// Commands.

void PlaybackDriver::Load(const std::string& uri) {
  Halt();
  SetStateFresh(GST_STATE_NULL);
  m_pipeline.SetUri(uri);
  m_network = !IsLocalFile(uri);
}

void PlaybackDriver::Start() {
  // From NULL every time: playback starts at the beginning, and the
  // pipeline's NULL to READY step is what announces buffering.
  m_running = true;
  m_userPaused = m_buffering = m_prerolled = false;
  m_bufferPercent = -1;
  m_announced = 0;
  m_rateDue = Rate() != 1;
  SetStateFresh(GST_STATE_PLAYING);
}

void PlaybackDriver::Pause() {
  if (!m_running) return;
  m_userPaused = true;
  m_announced = 0;  // resuming announces playing again
  m_stall.Cancel();
  m_progress.Cancel();
  m_pipeline.SetState(GST_STATE_PAUSED);
}

void PlaybackDriver::Resume() {
  if (!m_running) return;
  m_userPaused = false;
  // Resuming a stream that never got going is watched like starting one.
  WatchForStall();
  if (!m_buffering) m_pipeline.SetState(GST_STATE_PLAYING);
}

void PlaybackDriver::Stop() {
  Halt();
  SetStateFresh(GST_STATE_NULL);
}

void PlaybackDriver::Seek(uint64_t serial, int64_t targetMs) {
  m_seekUnderWay = serial;
  if (m_running && m_pipeline.Seek(Rate(), targetMs)) return;
  m_view.With([serial](PlaybackView& v) {
    if (v.seekSerial == serial) v.seekTargetMs.reset();
  });
}

void PlaybackDriver::ApplyRate() {
  if (!m_running) return;
  if (!m_prerolled) {
    m_rateDue = true;  // applied once the pipeline has prerolled
    return;
  }
  m_rateDue = false;
  const auto target = m_view.With([](PlaybackView& v) { return v.seekTargetMs; });
  const std::optional<int64_t> position = target ? target : m_pipeline.PositionMs();
  if (position) m_pipeline.Seek(Rate(), *position);
}

// Bus messages.

// Called on whichever thread posted the message: hands it to the loop.
GstBusSyncReply PlaybackDriver::OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
  auto* driver = static_cast<PlaybackDriver*>(self);
  const uint64_t epoch = driver->m_epoch;
  std::shared_ptr<GstMessage> held(message, &gst_message_unref);  // the bus gives it up
  driver->m_loop.Post([driver, held, epoch] { driver->Handle(held.get(), epoch); });
  return GST_BUS_DROP;
}

void PlaybackDriver::Handle(GstMessage* message, uint64_t epoch) {
  // Whatever a stopped, finished or failed run still had queued is stale.
  if (!m_running || epoch != m_epoch) return;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: OnStateChanged(message); break;
    case GST_MESSAGE_BUFFERING: OnBuffering(message); break;
    case GST_MESSAGE_ASYNC_DONE: OnAsyncDone(); break;
    case GST_MESSAGE_DURATION_CHANGED: RememberDuration(); break;
    case GST_MESSAGE_ERROR: OnError(message); break;
    case GST_MESSAGE_EOS: OnEndOfStream(); break;
    default: break;
  }
}

void PlaybackDriver::OnStateChanged(GstMessage* message) {
  if (GST_MESSAGE_SRC(message) != GST_OBJECT(m_pipeline.Element())) return;
  GstState before, now;
  gst_message_parse_state_changed(message, &before, &now, nullptr);
  if (before == GST_STATE_NULL && now == GST_STATE_READY) {
    Announce(kEventBuffering);
  } else if (now == GST_STATE_PLAYING && !m_buffering && !m_userPaused) {
    Announce(kEventPlaying);
    if (!m_progress.Running()) {
      m_progress.Start(kProgressPeriod, true, [this] { ReportProgress(); });
    }
  } else if (before == GST_STATE_PLAYING) {
    m_progress.Cancel();  // paused, by the client or to buffer
  }
}

// The usual buffering dance: hold the pipeline in PAUSED until the queue
// is full again, unless the client paused it anyway.
void PlaybackDriver::OnBuffering(GstMessage* message) {
  gint percent = 0;
  gst_message_parse_buffering(message, &percent);
  if (percent >= 100) {
    m_buffering = false;
    m_bufferPercent = -1;
    if (!m_userPaused) m_pipeline.SetState(GST_STATE_PLAYING);
    return;
  }
  if (!m_buffering) {
    m_buffering = true;
    if (!m_userPaused) m_pipeline.SetState(GST_STATE_PAUSED);
    Announce(kEventBuffering);
  }
  if (percent != m_bufferPercent && !m_userPaused) {
    m_bufferPercent = percent;  // data still arrives: not stalled
    WatchForStall();
  }
}

void PlaybackDriver::OnAsyncDone() {
  m_prerolled = true;
  RememberDuration();
  m_view.With([this](PlaybackView& v) {
    if (v.seekSerial == m_seekUnderWay) v.seekTargetMs.reset();
  });
  if (m_rateDue) ApplyRate();
}

void PlaybackDriver::OnError(GstMessage* message) {
  Fail(ErrorEventFor(message), ErrorText(message));
}

void PlaybackDriver::OnEndOfStream() {
  Halt();
  const auto duration = m_view.With([](PlaybackView& v) {
    EndRun(v, Phase::kFinished);
    return v.durationMs;
  });
  if (duration) m_events->Emit(kEventProgress, std::to_string(*duration), "");
  m_events->Emit(kEventFinished, "", "");
}

// Events.

void PlaybackDriver::Announce(int event) {
  if (event == m_announced) return;
  m_announced = event;
  if (event == kEventBuffering) {
    WatchForStall();
  } else {
    m_stall.Cancel();
  }
  m_events->Emit(event, "", "");
}

void PlaybackDriver::ReportProgress() {
  const auto target = m_view.With([](PlaybackView& v) { return v.seekTargetMs; });
  const std::optional<int64_t> position = target ? target : m_pipeline.PositionMs();
  if (position) m_events->Emit(kEventProgress, std::to_string(*position), "");
}

void PlaybackDriver::WatchForStall() {
  m_stall.Start(m_stallTimeout, false, [this] { OnStalled(); });
}

void PlaybackDriver::OnStalled() {
  const std::string waited = std::to_string(m_stallTimeout.count()) + " ms";
  Fail(StallEventFor(m_network),
       m_network ? "No data arrived within " + waited + "; the server does not answer"
                 : "Playback did not start within " + waited + "; the file cannot be played");
}

// One error event per run, then silence: the run ends here and the
// pipeline goes down, so nothing it still had queued is reported.
void PlaybackDriver::Fail(int event, const std::string& detail) {
  Halt();
  m_view.With([](PlaybackView& v) { EndRun(v, Phase::kFailed); });
  m_events->Emit(event, "", detail);
  SetStateFresh(GST_STATE_NULL);
}

void PlaybackDriver::Halt() {
  m_running = false;
  m_buffering = false;
  m_progress.Cancel();
  m_stall.Cancel();
}

double PlaybackDriver::Rate() {
  return m_view.With([](PlaybackView& v) { return v.rate; });
}

void PlaybackDriver::RememberDuration() {
  const std::optional<int64_t> duration = m_pipeline.DurationMs();
  if (!duration) return;
  m_view.With([duration](PlaybackView& v) { v.durationMs = duration; });
}

}  // namespace players
