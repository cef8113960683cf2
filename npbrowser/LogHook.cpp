#include "LogHook.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace npbrowser {

namespace {

std::atomic<int> gLogLevel{0};

// Called from the main thread and the service threads alike: the whole
// message goes out in one write so that lines never interleave.
void PrintModuleMessage(int /*module*/, int level, const char* format, ...) {
  if (format == nullptr || level > gLogLevel.load(std::memory_order_relaxed)) {
    return;
  }
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length >= 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    vsnprintf(&text[0], text.size(), format, again);
    text.pop_back();
    if (text.empty() || text.back() != '\n') text += '\n';
    fwrite(text.data(), 1, text.size(), stderr);
  }
  va_end(again);
}

}  // namespace

void SetModuleLogLevel(int level) { gLogLevel.store(level); }

}  // namespace npbrowser

extern "C" {
WeWebKitPrintFunc weWebKitPrint = npbrowser::PrintModuleMessage;
}
