// One ordered record of what the module did, for tests that compare a whole
// operation at once: every log message, every command sent to a service and
// every call of page script, one line each.
//   "5 Play: start playing"         a log message: level, function, text
//   "> InitPlayer http://a|||"      a command: its name and parameters
//   "page onChange(3,)"             a page function called with its arguments
//   "eval f(\"3\",\"\");"           a script the page evaluated
//   "setvalue 3 null"               an NPN_SetValue call: variable and value
// Pointers in log texts read "<ptr>", so transcripts compare across runs.
#ifndef TESTS_SUPPORT_TRANSCRIPT_H
#define TESTS_SUPPORT_TRANSCRIPT_H

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace testbrowser {

using Lines = std::vector<std::string>;

// Transcripts read as one list: Lines{...} + Lines{...}. (Bring it in with
// `using testbrowser::operator+`.)
inline Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Service and delivery threads record too.
inline std::mutex gTranscriptMutex;
inline Lines gTranscript;

inline void RecordLine(std::string line) {
  std::lock_guard<std::mutex> lock(gTranscriptMutex);
  gTranscript.push_back(std::move(line));
}
// The lines since the last call (or the last clear), which are then cleared.
inline Lines TakeTranscript() {
  std::lock_guard<std::mutex> lock(gTranscriptMutex);
  return std::exchange(gTranscript, {});
}
inline void ClearTranscript() { TakeTranscript(); }

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_TRANSCRIPT_H
