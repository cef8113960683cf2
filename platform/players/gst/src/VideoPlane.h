// The 1920 x 1080 video plane every connection draws into.
#ifndef PLAYERS_VIDEOPLANE_H
#define PLAYERS_VIDEOPLANE_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "VideoWindow.h"

namespace players {

// Thread-safe.
class VideoPlane {
 public:
  // Windows are drawn in the order added: later ones cover earlier ones.
  void Add(std::shared_ptr<VideoWindow> window);
  void Remove(const VideoWindow* window);

  // The plane as RGBx rows, 4 bytes a pixel, black where no video is.
  std::vector<uint8_t> Compose() const;
  bool WritePng(const std::string& path) const;

 private:
  std::vector<std::shared_ptr<VideoWindow>> Windows() const;

  mutable std::mutex m_mutex;
  std::vector<std::shared_ptr<VideoWindow>> m_windows;
};

}  // namespace players

#endif  // PLAYERS_VIDEOPLANE_H
