// Command-line options of tvhost.
#ifndef TVHOST_OPTIONS_H
#define TVHOST_OPTIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "NumberMode.h"

namespace tvhost {

// How whole numbers from script reach the module: as doubles (the WebKit
// family of browsers) or as 32-bit integers (the Mozilla family).
using npbrowser::NumberMode;

// The player service registered as "Player": simulated, driven by page
// script, or GStreamer decoding real media into the video plane.
enum class PlayerKind { kSim, kScripted, kGst };

struct Options {
  std::string pagePath;
  std::string pluginPath;  // empty: the module beside the executable
  int logLevel = 0;        // module messages up to this level; 0: none
  int appId = 0;
  std::string appName = "tvhost";
  int widgetWidth = 1280;
  int widgetHeight = 720;
  double timeoutSeconds = 60;
  NumberMode numbers = NumberMode::kDouble;
  PlayerKind player = PlayerKind::kSim;
  double mediaDurationSeconds = 30;
  double timeScale = 1;
  int osdResolution = 2;
  bool checkLeaks = false;
  double stallTimeoutSeconds = 10;  // the GStreamer player's
  int serviceTimeoutMs = 5000;      // how long a command waits for a service
  std::string planeSnapshotPath;    // the plane as a PNG at the end; empty: none
  bool videoWindow = false;         // the plane shown on the desktop as well
  std::string snapshotDir;          // where tvhost.snapshot(name) writes; empty: nowhere
  std::vector<std::string> pageArgs;  // tvhost.args
};

enum class ParseOutcome { kRun, kHelp, kError };

// Fills `options` from the command line; on kError, `error` says why.
ParseOutcome ParseOptions(int argc, const char* const* argv, Options* options,
                          std::string* error);

std::string HelpText();

}  // namespace tvhost

#endif  // TVHOST_OPTIONS_H
