// The video plane between tvbrowser's two processes. The player services
// live in the web process, the window and the page's rendering in the
// browser process: the web process sends the plane's pixels in WebKit's own
// user messages, and the browser process draws the page over them. Pixels
// rather than the elements' areas, because a real player's plane is a
// picture; WebKit's messages rather than a file or a socket of our own,
// because they are already there, ordered with the exit message, and end
// with the web process.
//
// Web process to browser process:
//   "plane" (ay): the plane now, before the run's end message
//   "snapshot" (say): write the screen with this plane to the path
//   "exit" (i): the run ended with this code
// Browser process to web process:
//   "plane" (no parameters), answered with a "plane" (ay) reply
#ifndef TVBROWSER_PLANEMESSAGES_H
#define TVBROWSER_PLANEMESSAGES_H

#include <glib.h>

#include <cstdint>
#include <vector>

#include "players/DisplayArea.h"

namespace tvbrowser {

using players::kPlaneHeight;
using players::kPlaneWidth;

// The plane as the players compose it: RGBx rows, 4 bytes a pixel, no
// padding.
inline GVariant* PlaneVariant(std::vector<uint8_t> rgbx) {
  auto* kept = new std::vector<uint8_t>(std::move(rgbx));
  return g_variant_new_from_data(G_VARIANT_TYPE_BYTESTRING, kept->data(), kept->size(), TRUE,
                                 [](gpointer data) { delete static_cast<std::vector<uint8_t>*>(data); },
                                 kept);
}

}  // namespace tvbrowser

#endif  // TVBROWSER_PLANEMESSAGES_H
