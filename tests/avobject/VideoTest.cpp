// The video-service connection and the OSD resolution query.
#include <gtest/gtest.h>

#include <chrono>

#include "LogCapture.h"
#include "TestBrowser.h"
#include "TestServices.h"
#include "Transcript.h"
#include "host/np_log.h"
#include "service/plRuvoVideo.h"
#include "zor/ScriptedService.h"

namespace avtest {
namespace {

using NSPlRuvoAVObject::CPlRuvoVideo;
using Clock = std::chrono::steady_clock;

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser.InstallIntoModule();
    zor::RegisterService("Video", testbrowser::Recording(video));
    testbrowser::ClearCapturedLog();
  }
  void TearDown() override {
    zor::UnregisterAllServices();
    browser.ExpectClean();
  }

  testbrowser::TestBrowser browser;
  std::shared_ptr<zor::ScriptedService> video = std::make_shared<zor::ScriptedService>();
};

TEST_F(VideoTest, OpenRetriesARefusingServiceWithPauses) {
  const zor::ConnectAttempt refused{"1.000", "Video", false}, accepted{"1.000", "Video", true};
  const struct {
    int refusals;
    std::vector<zor::ConnectAttempt> attempts;
    int pauses;  // of 10 ms, one after each failed attempt
    int reopened;  // what Open answers when called again on the object
  } cases[] = {{0, {accepted}, 0, 1},
               {2, {refused, refused, accepted}, 2, 1},
               {100, {refused, refused, refused, refused, refused}, 5, 0}};
  for (const auto& c : cases) {
    auto service = std::make_shared<zor::ScriptedService>();
    service->RefuseConnections(c.refusals);
    zor::RegisterService("Video", service);
    const Clock::time_point start = Clock::now();
    CPlRuvoVideo osd;
    const auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(10 * c.pauses));
    // Generous, for loaded machines and emulators, yet well short of what
    // pauses ten times as long would take.
    EXPECT_LT(took, std::chrono::milliseconds(30 * c.pauses + 200));
    EXPECT_EQ(service->Attempts(), c.attempts);
    if (c.attempts.back().accepted) {
      EXPECT_EQ(osd.m_osdResolution, 1);  // the service's fallback answer "I1"
    } else {
      // Never connected: the query is answered "E" by the library.
      EXPECT_EQ(osd.m_osdResolution, 5);
      EXPECT_EQ(osd.m_osdHeight, 1080);
    }
    EXPECT_EQ(osd.Open("Video", "1.000", "Video"), c.reopened);
  }
}

TEST_F(VideoTest, OsdHeightFollowsTheResolutionCode) {
  const struct {
    const char* answer;
    int code;
    int height;
  } cases[] = {{"I0", 0, 540},   {"I1", 1, 768},  {"I2", 2, 768},
               {"I3", 3, 1080},  {"I5", 5, 1080}, {"I-1", -1, 1080},
               {"I2abc", 2, 768}, {"E", 5, 1080},  {"Atext", -1, 1080},
               {"", -1, 1080}};
  for (const auto& c : cases) {
    video->SetDefault("GetOSDResolution", c.answer);
    testbrowser::ClearTranscript();
    CPlRuvoVideo osd;
    EXPECT_EQ(osd.m_osdResolution, c.code) << c.answer;
    EXPECT_EQ(osd.m_osdHeight, c.height) << c.answer;
    testbrowser::Lines expected = {"5 GetOSDResolution:  ", "> GetOSDResolution |||"};
    // An error answer is the one that is not logged.
    if (std::string(c.answer) != "E") {
      expected.push_back("5 GetOSDResolution: [GetOSDResolution]:" + std::to_string(c.code));
    }
    EXPECT_EQ(testbrowser::TakeTranscript(), expected) << c.answer;
  }
}

TEST_F(VideoTest, EventsAreIgnored) {
  CPlRuvoVideo osd;
  EXPECT_EQ(osd.OnEvent(7, "a", "b"), 1);
  video->Connection(0)->Emit(8, "", "");
  EXPECT_TRUE(video->Connection(0)->WaitDelivered());
  EXPECT_EQ(osd.m_osdResolution, 1);  // the fallback answer "I1"
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
}

}  // namespace
}  // namespace avtest
