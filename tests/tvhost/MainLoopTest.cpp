// The main loop: NPN_PluginThreadAsyncCall from many threads, calls for
// instances that are gone, and timers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Browser.h"
#include "LeakLedger.h"
#include "MainLoop.h"

namespace tvhost {
namespace {

using std::chrono::milliseconds;

struct CallLog {
  std::thread::id mainThread;
  std::vector<std::vector<int>> seen;  // per sending thread, in run order
  size_t total = 0;
  size_t expected = 0;
  bool offMainThread = false;
  MainLoop* loop = nullptr;
};

struct Call {
  CallLog* log;
  int thread;
  int sequence;
};

void RunCall(void* data) {
  auto* call = static_cast<Call*>(data);
  CallLog& log = *call->log;
  log.offMainThread |= std::this_thread::get_id() != log.mainThread;
  log.seen[call->thread].push_back(call->sequence);
  if (++log.total == log.expected) log.loop->Stop();
  delete call;
}

TEST(AsyncCallTest, CallsFromManyThreadsRunOnTheMainThreadInEachThreadsOrder) {
  constexpr int kThreads = 8;
  constexpr int kCalls = 400;
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  NPP_t instance{};
  browser.InstanceCreated(&instance, nullptr);
  CallLog log{std::this_thread::get_id(), std::vector<std::vector<int>>(kThreads), 0,
              kThreads * kCalls, false, &loop};

  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        browser.Funcs()->pluginthreadasynccall(&instance, RunCall, new Call{&log, t, i});
      }
    });
  }
  // The loop runs while the threads are still sending.
  auto result = loop.Run(MainLoop::Clock::now() + std::chrono::seconds(20));
  for (auto& sender : senders) sender.join();

  EXPECT_EQ(result, MainLoop::RunResult::kStopped);
  EXPECT_EQ(log.total, log.expected);
  EXPECT_FALSE(log.offMainThread);
  for (const auto& sequence : log.seen) {
    ASSERT_EQ(sequence.size(), static_cast<size_t>(kCalls));
    for (int i = 0; i < kCalls; ++i) EXPECT_EQ(sequence[i], i);
  }
}

TEST(AsyncCallTest, CallsForAnInstanceDestroyedBeforeTheyRunAreDropped) {
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  NPP_t live{};
  NPP_t gone{};
  browser.InstanceCreated(&live, nullptr);
  browser.InstanceCreated(&gone, nullptr);
  static std::atomic<int> ran{0};
  ran = 0;
  auto count = [](void*) { ++ran; };
  std::thread([&] {
    browser.Funcs()->pluginthreadasynccall(&live, count, nullptr);
    browser.Funcs()->pluginthreadasynccall(&gone, count, nullptr);
  }).join();
  browser.InstanceDestroyed(&gone);
  EXPECT_EQ(loop.RunQueued(10), 2u);
  EXPECT_EQ(ran, 1);
}

TEST(MainLoopTest, TimersFireInDueOrderAndCancelledOnesNever) {
  MainLoop loop;
  std::vector<int> fired;
  loop.AddTimer(milliseconds(30), false, [&] { fired.push_back(30); });
  int cancelled = loop.AddTimer(milliseconds(10), false, [&] { fired.push_back(-1); });
  loop.AddTimer(milliseconds(0), false, [&] { fired.push_back(0); });
  int ticks = 0;
  int repeating = 0;
  repeating = loop.AddTimer(milliseconds(5), true, [&] {
    if (++ticks == 3) loop.CancelTimer(repeating);
  });
  loop.AddTimer(milliseconds(40), false, [&] { loop.Stop(); });
  loop.CancelTimer(cancelled);
  EXPECT_EQ(loop.Run(MainLoop::Clock::now() + std::chrono::seconds(10)),
            MainLoop::RunResult::kStopped);
  EXPECT_EQ(fired, (std::vector<int>{0, 30}));
  EXPECT_EQ(ticks, 3);
}

TEST(MainLoopTest, RunEndsAtTheDeadlineWithoutWork) {
  MainLoop loop;
  auto start = MainLoop::Clock::now();
  EXPECT_EQ(loop.Run(start + milliseconds(20)), MainLoop::RunResult::kTimedOut);
  EXPECT_GE(MainLoop::Clock::now() - start, milliseconds(20));
}

}  // namespace
}  // namespace tvhost
