// A long run of AV objects created and destroyed while the scripted player
// floods each one's connection from its service thread, the main loop
// pumps the deliveries, and the page registers a new progress callback
// every few pumps. It checks what no short test can: that resident memory
// stays flat once warm, that the page sees every event of an object it
// kept exactly once and in order (a prefix of them when the object was
// destroyed under fire), and that nothing stops making progress.
// A zero --min-rate or --max-rss-growth-kb is reported, not checked
// (sanitizer builds).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LogCapture.h"
#include "TestBrowser.h"
#include "Transcript.h"
#include "avobject/plRuvoAVObject.h"
#include "zor/ScriptedService.h"

namespace {

using Clock = std::chrono::steady_clock;
using NSPlRuvoAVObject::CPlRuvoAVObject;

constexpr int kProgressEvent = 14;
constexpr int kEventsPerObject = 5000;
constexpr int kInFlight = 1024;        // the flood stays this far ahead of the page
constexpr int kPumpsPerCallback = 3;   // the page re-registers this often
constexpr unsigned kStallLimitSeconds = 20;

struct Settings {
  double seconds = 60;
  double minRate = 50000;
  double maxGrowthKb = 1024;
};

// Pairs of a name and a value of at least 0.
bool ReadSettings(int argc, char** argv, Settings* settings) {
  const std::map<std::string, double*> byName = {{"--seconds", &settings->seconds},
                                                 {"--min-rate", &settings->minRate},
                                                 {"--max-rss-growth-kb", &settings->maxGrowthKb}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const auto setting = byName.find(argv[i]);
    char* end = nullptr;
    if (setting == byName.end()) return false;
    *setting->second = strtod(argv[i + 1], &end);
    if (*end != '\0' || *setting->second < 0) return false;
  }
  return argc % 2 == 1;
}

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A run that stops making progress is a deadlock: the alarm, pushed back
// whenever the page got an event, fails the soak instead of letting it hang.
void OnStall(int) {
  constexpr char kMessage[] = "soak: no progress for the stall limit: deadlock\n";
  (void)!write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  std::abort();
}

// One object's life: created, flooded, its callback swapped while the main
// loop pumps, destroyed either after the page saw every event or halfway.
// Returns an empty text when what the page saw was right, and counts the
// events it saw into `delivered`.
std::string RunOneObject(testbrowser::TestBrowser& browser, bool destroyEarly,
                         unsigned long long* delivered) {
  auto service = std::make_shared<zor::ScriptedService>();
  zor::RegisterService("Player", service);
  NPP_t npp{};
  auto object = std::make_unique<CPlRuvoAVObject>();
  object->mnpInstance = &npp;
  std::shared_ptr<zor::ScriptedConnection> connection = service->Connection(0);
  if (!connection) return "the object opened no player connection";

  std::vector<NPObject*> callbacks;  // the page's, in registration order
  std::atomic<int> seen{0};
  auto registerCallback = [&] {
    NPObject* function = browser.CreateFunction("progress");
    browser.OnCall(function, [&seen] { seen.fetch_add(1, std::memory_order_release); });
    object->SetonUpdateProgress(nullptr, nullptr, function);
    callbacks.push_back(function);
  };
  registerCallback();

  std::atomic<bool> stop{false};
  std::thread flood([&] {
    for (int i = 0; i < kEventsPerObject && !stop.load(std::memory_order_relaxed); ++i) {
      while (i - seen.load(std::memory_order_acquire) > kInFlight && !stop) {
        std::this_thread::yield();
      }
      connection->Emit(kProgressEvent, std::to_string(i), "flood");
    }
  });

  const int target = destroyEarly ? kEventsPerObject / 2 : kEventsPerObject;
  for (int pump = 1; seen.load() < target; ++pump) {
    if (browser.RunPendingAsyncCalls() > 0) {
      alarm(kStallLimitSeconds);
    } else {
      std::this_thread::yield();  // the flood's threads share the cores
    }
    if (pump % kPumpsPerCallback == 0) registerCallback();
  }
  object.reset();  // when destroyed early, under fire: the flood is still sending
  browser.InstanceDestroyed(&npp);
  browser.RunPendingAsyncCalls();  // what was queued reaches nothing now
  stop = true;
  flood.join();

  // The page's calls, across its callbacks in the order registered, must
  // be 0, 1, 2, ... : all of them, or a prefix when destroyed first.
  std::string failure;
  int next = 0;
  for (NPObject* function : callbacks) {
    for (const testbrowser::FunctionCall& call : browser.CallsOf(function)) {
      const std::vector<std::string> expected = {std::to_string(next), "flood"};
      if (failure.empty() && call.args != expected) {
        failure = "event " + std::to_string(next) + " arrived out of order or altered";
      }
      ++next;
    }
    browser.Table().releaseobject(function);
  }
  if (failure.empty() && !destroyEarly && next != kEventsPerObject) {
    failure = std::to_string(next) + " of " + std::to_string(kEventsPerObject) + " events arrived";
  }
  if (failure.empty() && !browser.Errors().empty()) failure = browser.Errors().front();

  *delivered += next;
  zor::UnregisterService("Player");
  testbrowser::ClearTranscript();
  return failure;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!ReadSettings(argc, argv, &settings)) {
    fprintf(stderr, "usage: %s [--seconds N] [--min-rate EVENTS_PER_S] [--max-rss-growth-kb KB]\n",
            argv[0]);
    return 2;
  }
  testbrowser::TestBrowser browser;
  browser.InstallIntoModule();
  testbrowser::SetLogHookInstalled(false);  // a log line per event would be the load

  signal(SIGALRM, OnStall);
  alarm(kStallLimitSeconds);
  unsigned long long objects = 0;
  unsigned long long delivered = 0;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(settings.seconds);
  const auto warm = start + std::chrono::duration<double>(settings.seconds / 4);
  long warmKb = 0;
  std::string failure;
  for (; failure.empty() && (objects < 2 || Clock::now() < end); ++objects) {
    failure = RunOneObject(browser, objects % 4 == 3, &delivered);
    if (warmKb == 0 && Clock::now() >= warm) warmKb = ResidentKb();
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const long endKb = ResidentKb();
  if (warmKb == 0) warmKb = endKb;
  const double rate = static_cast<double>(delivered) / elapsed;
  printf("soak: %.1f s, %llu objects, %llu events to the page, %.0f per second; resident "
         "%ld kB after warm-up, %ld kB at the end (%+ld kB)\n",
         elapsed, objects, delivered, rate, warmKb, endKb, endKb - warmKb);

  if (failure.empty() && settings.minRate > 0 && rate < settings.minRate) {
    failure = "fewer events per second than --min-rate";
  }
  if (failure.empty() && settings.maxGrowthKb > 0 && endKb - warmKb >= settings.maxGrowthKb) {
    failure = "resident memory grew by --max-rss-growth-kb or more";
  }
  if (!failure.empty()) {
    fprintf(stderr, "soak: FAILED: %s\n", failure.c_str());
    return 1;
  }
  printf("soak: PASS\n");
  return 0;
}
