// Command-line parsing: `--name value` or `--name=value`, then the page.
#include "Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "WidgetSize.h"

namespace tvhost {

namespace {

constexpr size_t kMaxPathLength = 4096;
// A page argument is typically a URL; the player refuses longer ones.
constexpr size_t kMaxArgLength = 64 * 1024;

bool ParseInt(const std::string& text, long min, long max, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long value = strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || value < min || value > max) return false;
  *out = value;
  return true;
}

bool ParsePositive(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double value = strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value) || value <= 0) return false;
  *out = value;
  return true;
}

using ValueReader = std::function<bool(const std::string&, Options*)>;

ValueReader Integer(int Options::*field, long min, long max) {
  return [=](const std::string& text, Options* options) {
    long value = 0;
    if (!ParseInt(text, min, max, &value)) return false;
    options->*field = static_cast<int>(value);
    return true;
  };
}

ValueReader Positive(double Options::*field) {
  return [=](const std::string& text, Options* options) {
    return ParsePositive(text, &(options->*field));
  };
}

ValueReader Text(std::string Options::*field, size_t maxLength) {
  return [=](const std::string& text, Options* options) {
    options->*field = text;
    return text.size() <= maxLength;
  };
}

ValueReader NonEmptyText(std::string Options::*field) {
  return [=](const std::string& text, Options* options) {
    options->*field = text;
    return !text.empty() && text.size() <= kMaxPathLength;
  };
}

// Every option that takes a value, with the reader that stores it.
const std::map<std::string, ValueReader>& ValueOptions() {
  static const std::map<std::string, ValueReader> options = {
      {"--plugin", Text(&Options::pluginPath, kMaxPathLength)},
      {"--log-level", Integer(&Options::logLevel, 0, 9)},
      {"--app-id", Integer(&Options::appId, INT32_MIN, INT32_MAX)},
      {"--app-name", Text(&Options::appName, 1023)},
      {"--widget", [](const std::string& v, Options* o) {
         return npbrowser::ReadWidgetSize(v, &o->widgetWidth, &o->widgetHeight);
       }},
      {"--timeout", Positive(&Options::timeoutSeconds)},
      {"--numbers", [](const std::string& v, Options* o) {
         o->numbers = v == "int32" ? NumberMode::kInt32 : NumberMode::kDouble;
         return v == "double" || v == "int32";
       }},
      {"--player", [](const std::string& v, Options* o) {
         static const std::map<std::string, PlayerKind> kinds = {
             {"sim", PlayerKind::kSim},
             {"scripted", PlayerKind::kScripted},
             {"gst", PlayerKind::kGst}};
         auto kind = kinds.find(v);
         if (kind == kinds.end()) return false;
         o->player = kind->second;
         return true;
       }},
      {"--media-duration", Positive(&Options::mediaDurationSeconds)},
      {"--time-scale", Positive(&Options::timeScale)},
      {"--osd-resolution", Integer(&Options::osdResolution, INT32_MIN, INT32_MAX)},
      {"--stall-timeout", Positive(&Options::stallTimeoutSeconds)},
      {"--service-timeout", Integer(&Options::serviceTimeoutMs, 1, 86400000)},
      {"--plane-snapshot", NonEmptyText(&Options::planeSnapshotPath)},
      {"--video", [](const std::string& v, Options* o) {
         o->videoWindow = v == "window";
         return v == "window" || v == "headless";
       }},
      {"--snapshot-dir", NonEmptyText(&Options::snapshotDir)},
      {"--arg", [](const std::string& v, Options* o) {
         o->pageArgs.push_back(v);
         return v.size() <= kMaxArgLength;
       }},
  };
  return options;
}

}  // namespace

ParseOutcome ParseOptions(int argc, const char* const* argv, Options* options,
                          std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return ParseOutcome::kHelp;
    if (arg == "--check-leaks") {
      options->checkLeaks = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      if (!options->pagePath.empty()) {
        *error = "more than one page given: " + arg;
        return ParseOutcome::kError;
      }
      options->pagePath = arg;
      continue;
    }
    std::string name = arg.substr(0, arg.find('='));
    auto option = ValueOptions().find(name);
    if (option == ValueOptions().end()) {
      *error = "unknown option " + name;
      return ParseOutcome::kError;
    }
    std::string value;
    if (name.size() < arg.size()) {
      value = arg.substr(name.size() + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      *error = name + " needs a value";
      return ParseOutcome::kError;
    }
    if (!option->second(value, options)) {
      *error = "bad value for " + name + ": '" + value + "'";
      return ParseOutcome::kError;
    }
  }
  if (options->pagePath.empty()) {
    *error = "no page given";
    return ParseOutcome::kError;
  }
  // Only the GStreamer player draws a plane; an empty picture would only
  // mislead.
  if (!options->planeSnapshotPath.empty() && options->player != PlayerKind::kGst) {
    *error = "--plane-snapshot needs --player gst";
    return ParseOutcome::kError;
  }
  if (options->videoWindow && options->player != PlayerKind::kGst) {
    *error = "--video window needs --player gst";
    return ParseOutcome::kError;
  }
  return ParseOutcome::kRun;
}

std::string HelpText() {
  return R"(Usage: tvhost [options] PAGE.html

Loads the AV-object plug-in module as the TV's browser does and runs the
page's script against it.

Options:
  --plugin PATH          module to load (default: libRuvoAVObjectPlugin.so
                         beside tvhost)
  --log-level N          print the module's messages up to level N on
                         standard error (default 0: none; 5: all)
  --app-id N             application number answered for browser variable 19
                         (default 0)
  --app-name TEXT        application name answered for browser variable 20
                         (default tvhost)
  --widget WxH           size of curWidget (default 1280x720)
  --timeout SECONDS      end the run with exit code 124 (default 60)
  --numbers double|int32 whole numbers from script reach the module as
                         doubles (default) or as 32-bit integers
  --player sim|scripted|gst
                         the player service: simulated (default), driven by
                         page script through tvhost.player, or GStreamer
                         playing the media for real into the video plane
  --media-duration SECONDS
                         length of the simulated media (default 30)
  --time-scale X         run the simulated player's clock X times faster
                         (default 1)
  --osd-resolution CODE  the video service's answer to GetOSDResolution
                         (default 2)
  --stall-timeout SECONDS
                         the GStreamer player fails a stream that does not
                         start, or buffers without progress, this long
                         (default 10)
  --service-timeout MS   a service command not answered in this many
                         milliseconds answers "E" and closes its connection
                         (default 5000)
  --plane-snapshot PATH  write the video plane as a PNG file when the page
                         ends (--player gst only)
  --video headless|window
                         keep the video plane to snapshots (default), or also
                         show it, at half size, in a window on the X display
                         that DISPLAY names (--player gst only)
  --snapshot-dir DIR     folder tvhost.snapshot(name) writes into; made if
                         missing
  --arg TEXT             append TEXT to tvhost.args (repeatable)
  --check-leaks          report NPObjects and NPN_MemAlloc blocks left at
                         exit, with exit code 3
  --help                 this text

Exit codes: the code given to tvhost.exit(code); 1 for an uncaught script
error; 2 when the page or the module cannot be loaded or an option is wrong;
3 for leaks under --check-leaks; 124 at the timeout.
)";
}

}  // namespace tvhost
