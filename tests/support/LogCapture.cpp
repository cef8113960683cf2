// Defines the browser's logging hook for unit tests.
#include "LogCapture.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <regex>

#include "Transcript.h"
#include "host/np_log.h"

namespace testbrowser {

namespace {

std::mutex gMutex;
std::function<void(const LogLine&)> gObserver;

constexpr char kPrefix[] = "[%s:%s:%d]\n          ";

void CaptureLog(int, int level, const char* format, ...) {
  LogLine line;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  line.file = va_arg(copy, const char*);
  line.function = va_arg(copy, const char*);
  va_end(copy);
  char text[4096];
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  // The text after the common prefix: find the prefix's last part, which
  // holds no directive, in the formatted line.
  const char* const prefixEnd = strchr(kPrefix, ']');
  const char* body = strstr(text, prefixEnd);
  line.text = body != nullptr ? body + strlen(prefixEnd) : text;
  if (strncmp(format, kPrefix, strlen(kPrefix)) != 0) line.text = "<missing prefix>";
  static const std::regex pointer("0x[0-9a-fA-F]+");  // a %p, which differs from run to run
  RecordLine(std::to_string(level) + " " + line.function + ": " +
             std::regex_replace(line.text, pointer, "<ptr>"));
  std::unique_lock<std::mutex> lock(gMutex);
  const std::function<void(const LogLine&)> observer = gObserver;
  lock.unlock();
  if (observer) observer(line);
}

}  // namespace

void SetLogObserver(std::function<void(const LogLine&)> observer) {
  std::lock_guard<std::mutex> lock(gMutex);
  gObserver = std::move(observer);
}

void SetLogHookInstalled(bool installed) { weWebKitPrint = installed ? CaptureLog : nullptr; }

}  // namespace testbrowser

// The hook as the browser process exports it.
WeWebKitPrintFunc weWebKitPrint = testbrowser::CaptureLog;
