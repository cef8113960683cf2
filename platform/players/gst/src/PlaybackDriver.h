// The loop-thread side of a connection: carries out the client's commands
// on the pipeline and turns the pipeline's bus messages and a progress
// timer into player events.
#ifndef PLAYERS_PLAYBACKDRIVER_H
#define PLAYERS_PLAYBACKDRIVER_H

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "LoopThread.h"
#include "PlaybinPipeline.h"
#include "SessionView.h"
#include "zor/ServiceRegistry.h"

namespace players {

// Everything here runs on the connection's loop thread, except the
// destructor: that runs once the loop has stopped and the pipeline is down.
class PlaybackDriver {
 public:
  PlaybackDriver(PlaybinPipeline& pipeline, SessionView& view, LoopThread& loop,
                 std::shared_ptr<zor::EventSink> events, std::chrono::milliseconds stallTimeout);
  ~PlaybackDriver();
  PlaybackDriver(const PlaybackDriver&) = delete;
  PlaybackDriver& operator=(const PlaybackDriver&) = delete;

  void Load(const std::string& uri);
  void Start();
  void Pause();
  void Resume();
  void Stop();
  void Seek(uint64_t serial, int64_t targetMs);
  void ApplyRate();

 private:
  static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
  void Handle(GstMessage* message, uint64_t epoch);
  void SetStateFresh(GstState state);
  void OnStateChanged(GstMessage* message);
  void OnBuffering(GstMessage* message);
  void OnAsyncDone();
  void OnError(GstMessage* message);
  void OnEndOfStream();

  void Announce(int event);
  void ReportProgress();
  void WatchForStall();
  void OnStalled();
  void Fail(int event, const std::string& detail);
  void Halt();
  double Rate();
  void RememberDuration();

  PlaybinPipeline& m_pipeline;
  SessionView& m_view;
  const std::shared_ptr<zor::EventSink> m_events;
  const std::chrono::milliseconds m_stallTimeout;
  LoopThread& m_loop;
  GstBus* const m_bus;
  // Counts the pipeline's trips down to NULL. A message carries the count
  // from when it was posted: one from before the latest trip is stale.
  std::atomic<uint64_t> m_epoch{0};
  LoopTimer m_progress;
  LoopTimer m_stall;

  bool m_network = false;    // the URI is fetched from a server
  bool m_running = false;    // started and neither stopped, finished nor failed
  bool m_userPaused = false;
  bool m_buffering = false;
  int m_bufferPercent = -1;
  bool m_prerolled = false;  // positions and seeks work from here on
  bool m_rateDue = false;    // a rate asked for before the pipeline could take it
  int m_announced = 0;       // the last of buffering/playing sent, 0 after pause
  uint64_t m_seekUnderWay = 0;
};

}  // namespace players

#endif  // PLAYERS_PLAYBACKDRIVER_H
