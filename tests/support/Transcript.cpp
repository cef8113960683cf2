// The transcript.
#include "Transcript.h"

#include <mutex>
#include <utility>

namespace testbrowser {

namespace {
std::mutex gMutex;
Lines gLines;
}  // namespace

void RecordLine(std::string line) {
  std::lock_guard<std::mutex> lock(gMutex);
  gLines.push_back(std::move(line));
}

Lines TakeTranscript() {
  std::lock_guard<std::mutex> lock(gMutex);
  return std::exchange(gLines, {});
}

void ClearTranscript() { TakeTranscript(); }

}  // namespace testbrowser
