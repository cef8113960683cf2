// The video plane shown in a window on the desktop, for a user who wants to
// watch what the TV would show rather than read snapshots.
#ifndef PLAYERS_PLANEDISPLAY_H
#define PLAYERS_PLANEDISPLAY_H

#include <gst/gst.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace players {

class VideoPlane;

// Composes the plane a few times a second on a thread of its own and hands
// each picture to GStreamer's X window sink, scaled to half size so that it
// fits on an ordinary desktop beside the terminal. Closing the window by
// hand only stops the pictures; playback goes on.
class PlaneDisplay {
 public:
  // Opens the window on the X display that DISPLAY names. Null, with the
  // reason in `error`, when there is none or the window cannot be made.
  static std::unique_ptr<PlaneDisplay> Open(std::shared_ptr<const VideoPlane> plane,
                                            std::string* error);
  ~PlaneDisplay();
  PlaneDisplay(const PlaneDisplay&) = delete;
  PlaneDisplay& operator=(const PlaneDisplay&) = delete;

 private:
  PlaneDisplay(std::shared_ptr<const VideoPlane> plane, GstElement* pipeline);
  void Refresh();
  void ShowPlane();

  const std::shared_ptr<const VideoPlane> m_plane;
  GstElement* const m_pipeline;
  GstElement* const m_source;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stopping = false;
  std::thread m_refresher;
};

}  // namespace players

#endif  // PLAYERS_PLANEDISPLAY_H
