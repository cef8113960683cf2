// Pictures written as PNG files, encoded by GStreamer.
#ifndef PLAYERS_PNGFILE_H
#define PLAYERS_PNGFILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace players {

// Writes RGBx rows (4 bytes a pixel, no padding) of a width x height
// picture to `path`. False when encoding or writing failed.
bool WriteRgbxPng(const std::vector<uint8_t>& pixels, int width, int height,
                  const std::string& path);

}  // namespace players

#endif  // PLAYERS_PNGFILE_H
