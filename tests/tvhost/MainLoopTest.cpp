// The main loop's queue behind NPN_PluginThreadAsyncCall: calls from many
// threads, and calls for instances that are gone.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "Browser.h"
#include "LeakLedger.h"
#include "MainLoop.h"

namespace tvhost {
namespace {

constexpr int kThreads = 8;
constexpr int kCalls = 400;

class AsyncCallTest : public ::testing::Test {
 protected:
  NPP_t instance{};
  MainLoop loop;
  LeakLedger ledger;
  Browser browser{loop, ledger};
};

// What the calls saw; touched only on the main thread, where they must run.
struct CallLog {
  int next[kThreads] = {};  // per sending thread, the sequence number due
  int total = 0;
  bool outOfOrder = false;
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
  log.offMainThread |= !Browser::Current().OnMainThread();
  log.outOfOrder |= log.next[call->thread]++ != call->sequence;
  if (++log.total == kThreads * kCalls) log.loop->Stop();
  delete call;
}

TEST_F(AsyncCallTest, CallsFromManyThreadsRunOnTheMainThreadInEachThreadsOrder) {
  browser.InstanceCreated(&instance, nullptr);
  CallLog log;
  log.loop = &loop;
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
  EXPECT_EQ(log.total, kThreads * kCalls);
  EXPECT_FALSE(log.offMainThread);
  EXPECT_FALSE(log.outOfOrder);
}

TEST_F(AsyncCallTest, CallsForAnInstanceDestroyedBeforeTheyRunAreDropped) {
  NPP_t gone{};
  browser.InstanceCreated(&instance, nullptr);
  browser.InstanceCreated(&gone, nullptr);
  int ran = 0;
  auto count = [](void* counter) { ++*static_cast<int*>(counter); };
  std::thread([&] {
    browser.Funcs()->pluginthreadasynccall(&instance, count, &ran);
    browser.Funcs()->pluginthreadasynccall(&gone, count, &ran);
  }).join();
  browser.InstanceDestroyed(&gone);
  EXPECT_EQ(loop.RunQueued(10), 2u);
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace tvhost
