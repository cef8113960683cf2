// Deliveries to page script: only on the main thread, in order, owned by the
// module, and safe however the browser and the page treat them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AVObjectFixture.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;
using Strings = std::vector<std::string>;
using Policy = testbrowser::TestBrowser::QueuedAfterDestroy;

TEST_F(AVObjectTest, RegistrationIsReadWhenTheDeliveryRuns) {
  Connection()->Emit(7, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());
  ASSERT_EQ(browser.PendingAsyncCalls(), 1u);  // queued with nothing registered
  NPObject* late = Function();
  av->SetonPlayStateChange(nullptr, nullptr, late);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(late), Strings({"1"}));
}

TEST_F(AVObjectTest, DeliveriesKeepTheirOrder) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  Answer("StartPlayback", "I0");
  av->Play(nullptr, 1, eCOMPONENT_OTHER);
  Connection()->Emit(11, "", "");
  Connection()->Emit(7, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"3", "6", "4", "1", "0"}));
}

class DestroyWithQueuedDeliveries : public AVObjectTest,
                                    public ::testing::WithParamInterface<Policy> {};

TEST_P(DestroyWithQueuedDeliveries, FreesThemWhateverTheBrowserDoes) {
  browser.SetQueuedAfterDestroy(GetParam());
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->SetonUpdateProgress(nullptr, NameBuffer("onProgress"), nullptr);
  av->Stop(nullptr);
  Connection()->Emit(14, "1000", "");
  Connection()->Emit(8, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());
  ASSERT_EQ(browser.PendingAsyncCalls(), 3u);

  DestroyObject();
  browser.RunPendingAsyncCalls();

  EXPECT_TRUE(browser.CallsOf(onChange).empty());
  EXPECT_TRUE(browser.EvaluatedScripts().empty());
  EXPECT_EQ(browser.RefCount(onChange), 1u);
}

INSTANTIATE_TEST_SUITE_P(Browsers, DestroyWithQueuedDeliveries,
                         ::testing::Values(Policy::kDrop, Policy::kRun));

TEST_F(AVObjectTest, PageMayDestroyTheObjectInsideItsCallback) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  browser.OnCall(onChange, [this] { DestroyObject(); });
  av->Stop(nullptr);
  av->Stop(nullptr);  // a second delivery that finds the object gone
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"0"}));
  EXPECT_EQ(browser.RefCount(onChange), 1u);
}

TEST_F(AVObjectTest, PageMayReplaceTheCallbackInsideIt) {
  NPObject* first = Function();
  NPObject* second = Function();
  av->SetonPlayStateChange(nullptr, nullptr, first);
  browser.OnCall(first, [&] { av->SetonPlayStateChange(nullptr, nullptr, second); });
  av->Stop(nullptr);
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(first), Strings({"0"}));
  EXPECT_EQ(FirstArguments(second), Strings({"0"}));
}

TEST_F(AVObjectTest, BrowserWithoutAsyncCallsDeliversNothing) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  NPNFuncs.pluginthreadasynccall = nullptr;
  av->Stop(nullptr);
  Event(7, "", "");
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PLAY);
  EXPECT_TRUE(browser.CallsOf(onChange).empty());
}

TEST_F(AVObjectTest, WithoutAnInstanceHandleNothingIsQueued) {
  av->mnpInstance = nullptr;
  av->SetonPlayStateChange(nullptr, NameBuffer("f"), nullptr);
  av->Stop(nullptr);
  Event(7, "", "");
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
}

// Events flood in from the service thread while the main thread drives the
// object and swaps its callbacks. Run under ThreadSanitizer this shows that
// only the main thread touches browser objects and that shared state is
// properly synchronised.
TEST_F(AVObjectTest, EventFloodWhileTheMainThreadWorks) {
  constexpr int kEvents = 2000;
  std::atomic<bool> stop{false};
  std::thread flood([&] {
    for (int i = 0; i < kEvents && !stop; ++i) {
      Connection()->Emit(i % 2 == 0 ? 14 : 7 + (i % 7), std::to_string(i * 10), "");
    }
  });
  NPObject* functions[2] = {Function(), Function()};
  for (int round = 0; round < 200; ++round) {
    av->SetonPlayStateChange(nullptr, nullptr, functions[round % 2]);
    av->SetonUpdateProgress(nullptr, round % 3 == 0 ? NameBuffer("p") : nullptr,
                            functions[(round + 1) % 2]);
    if (round % 2 == 0) av->Play(nullptr, 1, eCOMPONENT_OTHER);
    else av->Pause(nullptr);
    (void)av->stAVObjMember.mplayPosition.load();
    browser.RunPendingAsyncCalls();
  }
  flood.join();
  ASSERT_TRUE(Connection()->WaitDelivered(std::chrono::seconds(30)));
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
  EXPECT_TRUE(browser.Errors().empty()) << ::testing::PrintToString(browser.Errors());
  size_t calls = browser.CallsOf(functions[0]).size() + browser.CallsOf(functions[1]).size();
  EXPECT_GT(calls, 200u);
}

}  // namespace
}  // namespace avtest
