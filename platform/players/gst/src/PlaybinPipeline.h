// A connection's pipeline: a playbin whose audio runs into a clocked fake
// sink and whose video frames are kept for the plane (or dropped).
#ifndef PLAYERS_PLAYBINPIPELINE_H
#define PLAYERS_PLAYBINPIPELINE_H

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "VideoWindow.h"
#include "players/GstPlayerService.h"

namespace players {

// Queries are safe from any thread; everything that changes the pipeline
// belongs to one thread (the connection's loop, and the destructor once
// that has stopped).
class PlaybinPipeline {
 public:
  explicit PlaybinPipeline(PlaneSink planeSink);
  ~PlaybinPipeline();
  // Brings the pipeline down to NULL for good; sources stop without
  // waiting for a server.
  void Shutdown();
  PlaybinPipeline(const PlaybinPipeline&) = delete;
  PlaybinPipeline& operator=(const PlaybinPipeline&) = delete;

  bool Valid() const { return m_playbin != nullptr; }
  GstElement* Element() const { return m_playbin; }
  // Where the video goes on the plane; null when video is dropped.
  const std::shared_ptr<VideoWindow>& Window() const { return m_window; }

  void SetUri(const std::string& uri);
  GstStateChangeReturn SetState(GstState state);
  // A flushing, accurate seek to `positionMs`, playing on at `rate`.
  bool Seek(double rate, int64_t positionMs);

  std::optional<int64_t> PositionMs() const;
  std::optional<int64_t> DurationMs() const;

 private:
  GstElement* MakeVideoSink(PlaneSink planeSink);

  GstElement* m_playbin = nullptr;
  std::shared_ptr<VideoWindow> m_window;
};

}  // namespace players

#endif  // PLAYERS_PLAYBINPIPELINE_H
