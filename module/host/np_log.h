// The module's two links to the browser: its copy of the browser's function
// table, and the logging hook through which every diagnostic goes.
#ifndef HOST_NP_LOG_H
#define HOST_NP_LOG_H

#include "npfunctions.h"

// Filled by NP_Initialize; all zero before. Every browser call goes through
// it.
extern "C" NPNetscapeFuncs NPNFuncs;

// The browser process exports its print function through this variable. It
// is referenced weakly, so the module also loads into a host that does not
// export it, and then logs nothing.
typedef void (*WeWebKitPrintFunc)(int module, int level, const char* format,
                                  ...);
extern "C" WeWebKitPrintFunc weWebKitPrint __attribute__((weak));

namespace nplog {

enum Level {
  kMustNotHappen = 1,  // a browser call that must never be made
  kFailure = 2,
  kInfo = 4,
  kTrace = 5,
};

// Lets the compiler check each message's arguments against its format.
int CheckFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

template <typename... Args>
void Write(int level, const char* format, Args... args) noexcept {
  // The hook is read afresh for every message; it may be absent or null.
  if (&weWebKitPrint == nullptr) return;
  WeWebKitPrintFunc print = weWebKitPrint;
  // A hook that throws loses its message; the operation goes on.
  try {
    if (print != nullptr) print(2, level, format, args...);
  } catch (...) {
  }
}

}  // namespace nplog

// Logs one message with the common prefix, the source file named by the
// file-scope constant kLogSource, the operation's name and the line. A
// helper that logs on behalf of an operation passes that operation's name,
// so every line names what the browser or the page asked for.
#define NPLOG_AS(operation, level, format, ...)                            \
  do {                                                                     \
    (void)sizeof(::nplog::CheckFormat("[%s:%s:%d]\n          " format,     \
                                      kLogSource, operation,               \
                                      __LINE__ __VA_OPT__(, ) __VA_ARGS__)); \
    ::nplog::Write(level, "[%s:%s:%d]\n          " format, kLogSource,     \
                   operation, __LINE__ __VA_OPT__(, ) __VA_ARGS__);        \
  } while (0)

// Logs on behalf of the enclosing function, named as it is declared.
#define NPLOG(level, format, ...) \
  NPLOG_AS(__func__, level, format __VA_OPT__(, ) __VA_ARGS__)

// A blank trace marks entry into the function.
#define NPLOG_ENTRY() NPLOG(::nplog::kTrace, " ")

#endif  // HOST_NP_LOG_H
