// The event types a player connection sends its client.
#ifndef PLAYERS_PLAYEREVENTS_H
#define PLAYERS_PLAYEREVENTS_H

namespace players {

enum PlayerEvent : int {
  kEventUnreachable = 1,  // host unreachable, connection refused, stalled
  kEventNotFound = 2,     // no such file or resource
  kEventUnsupported = 3,  // a format nothing installed can play
  kEventCorrupt = 4,      // a stream that cannot be demuxed or decoded
  kEventFailed = 6,       // any other failure
  kEventPlaying = 7,
  kEventFinished = 8,
  kEventBuffering = 11,
  kEventProgress = 14,    // position in milliseconds as decimal text
};

}  // namespace players

#endif  // PLAYERS_PLAYEREVENTS_H
