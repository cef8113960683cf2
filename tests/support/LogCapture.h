// Captures the module's log messages in unit tests. Linking LogCapture.cpp
// defines the browser's logging hook in the test program; each message is
// written into the transcript, which keeps it.
#ifndef TESTS_SUPPORT_LOGCAPTURE_H
#define TESTS_SUPPORT_LOGCAPTURE_H

#include <functional>
#include <string>

#include "Transcript.h"

namespace testbrowser {

struct LogLine {
  std::string file;      // source file named in the message
  std::string function;  // function name in the message
  std::string text;      // the message after the common prefix, formatted
};

// Runs `observer` inside the hook for every later message, as code that
// runs between the module's steps would; null removes it.
void SetLogObserver(std::function<void(const LogLine&)> observer);
// Removes the hook (the browser exports none) or puts it back.
void SetLogHookInstalled(bool installed);

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_LOGCAPTURE_H
