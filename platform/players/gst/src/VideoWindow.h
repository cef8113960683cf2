// One connection's video on the plane: where it goes, and the latest frame
// the connection's pipeline decoded.
#ifndef PLAYERS_VIDEOWINDOW_H
#define PLAYERS_VIDEOWINDOW_H

#include <gst/gst.h>

#include <mutex>

#include "players/DisplayArea.h"

namespace players {

// Thread-safe. Holds its own reference to the pipeline's frame sink, so it
// may outlive the pipeline.
class VideoWindow {
 public:
  // `frames` is the appsink that keeps the latest frame, as plane caps.
  explicit VideoWindow(GstElement* frames);
  ~VideoWindow();
  VideoWindow(const VideoWindow&) = delete;
  VideoWindow& operator=(const VideoWindow&) = delete;

  void Place(const PlaneRect& area);
  PlaneRect Area() const;

  // The latest frame scaled by GStreamer to exactly `area`'s size, its
  // aspect ratio kept with black bars; null when there is no frame yet.
  GstSample* FrameSizedFor(const PlaneRect& area) const;

 private:
  GstElement* const m_frames;
  mutable std::mutex m_mutex;
  PlaneRect m_area;
};

// The raw video caps the plane is composed from, of a given size or, with
// zero size, of any.
GstCaps* PlaneFrameCaps(int width, int height);

// Whether `sample` is a frame of those caps and of that size.
bool HasPlaneFormat(GstSample* sample, int width, int height);

}  // namespace players

#endif  // PLAYERS_VIDEOWINDOW_H
