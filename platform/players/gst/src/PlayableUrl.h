// Which player URLs a pipeline can try.
#ifndef PLAYERS_PLAYABLEURL_H
#define PLAYERS_PLAYABLEURL_H

#include <optional>
#include <string>

namespace players {

// The URI to hand to the pipeline for a player URL, or nothing when no
// GStreamer source could even try it: empty, malformed, too long, or a
// scheme no installed source handles. Decides without the network.
std::optional<std::string> PlayableUri(const std::string& playerUrl);

// Whether a URI PlayableUri gave names a file on this machine.
bool IsLocalFile(const std::string& uri);

}  // namespace players

#endif  // PLAYERS_PLAYABLEURL_H
