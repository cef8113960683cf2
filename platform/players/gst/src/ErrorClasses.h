// Which error event a pipeline error becomes.
#ifndef PLAYERS_ERRORCLASSES_H
#define PLAYERS_ERRORCLASSES_H

#include <gst/gst.h>

namespace players {

// The error event (1, 2, 3, 4 or 6) for an error message of the pipeline.
int ErrorEventFor(GstMessage* error);

// The error event for a run that went quiet, from a server or a local file.
int StallEventFor(bool networkSource);

}  // namespace players

#endif  // PLAYERS_ERRORCLASSES_H
