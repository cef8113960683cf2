// GStreamer's one-time initialisation for the process.
#ifndef PLAYERS_GSTRUNTIME_H
#define PLAYERS_GSTRUNTIME_H

namespace players {

// Initialises GStreamer on first use; true when it is usable.
bool EnsureGstreamer();

}  // namespace players

#endif  // PLAYERS_GSTRUNTIME_H
