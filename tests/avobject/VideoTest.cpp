// The video-service connection and the OSD resolution query.
#include <gtest/gtest.h>

#include <chrono>

#include "LogCapture.h"
#include "TestBrowser.h"
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
    zor::RegisterService("Video", video);
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
  const struct {
    int refusals;
    int attempts;
    std::chrono::milliseconds atLeast;  // one 10 ms pause per failed attempt
    size_t connections;
  } cases[] = {{0, 1, std::chrono::milliseconds(0), 1},
               {2, 3, std::chrono::milliseconds(20), 1},
               {100, 5, std::chrono::milliseconds(50), 0}};
  for (const auto& c : cases) {
    auto service = std::make_shared<zor::ScriptedService>();
    service->RefuseConnections(c.refusals);
    zor::RegisterService("Video", service);
    const Clock::time_point start = Clock::now();
    CPlRuvoVideo osd;
    EXPECT_GE(Clock::now() - start, c.atLeast);
    EXPECT_EQ(service->ConnectAttempts(), c.attempts);
    EXPECT_EQ(service->ConnectionCount(), c.connections);
    if (c.connections == 0) {
      // Never connected: the query is answered "E" by the library.
      EXPECT_EQ(osd.m_osdResolution, 5);
      EXPECT_EQ(osd.m_osdHeight, 1080);
    }
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
    video->Answer("GetOSDResolution", c.answer);
    testbrowser::ClearCapturedLog();
    CPlRuvoVideo osd;
    EXPECT_EQ(osd.m_osdResolution, c.code) << c.answer;
    EXPECT_EQ(osd.m_osdHeight, c.height) << c.answer;
    const bool logged = testbrowser::HasLogLine(
        nplog::kTrace, "[GetOSDResolution]:" + std::to_string(c.code));
    EXPECT_EQ(logged, std::string(c.answer) != "E") << c.answer;
  }
  const auto sent = video->Connection(0)->Received();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0], (zor::ReceivedCommand{"GetOSDResolution", {"", "", "", ""}}));
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
