// The AV object's record: starting values, attributes, URL and info.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;

TEST_F(AVObjectTest, NewObjectStartsStoppedAtNormalSpeed) {
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_STOP);
  EXPECT_EQ(av->GetSpeed(nullptr), 1);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, 0);
  EXPECT_EQ(av->isFullScreen(nullptr), 0);
  EXPECT_EQ(av->GetCurTrackId(nullptr), 0);
  EXPECT_EQ(av->mscreenHeight, -1);
  std::string url = "x";
  av->GetMediaURL(nullptr, url);
  EXPECT_EQ(url, "");
  const stDisplayArea& area = av->stAVObjMember.mdisplayArea;
  EXPECT_EQ(std::vector<int>({area.x, area.y, area.w, area.h}),
            std::vector<int>({0, 0, 1920, 1080}));
  // Construction opened the player with the trace first.
  EXPECT_EQ(player->ConnectAttempts(), 1);
}

TEST_F(AVObjectTest, InitTakesTheFirstExactDataAttribute) {
  const struct {
    std::vector<const char*> names;
    std::vector<const char*> values;
    const char* url;
  } cases[] = {
      {{"data", "data"}, {"first", "second"}, "first"},
      {{"type", "data"}, {"video/x", "url"}, "url"},
      {{"DATA", "Data"}, {"a", "b"}, ""},
      {{"width"}, {"100"}, ""},
      {{}, {}, ""},
  };
  for (const auto& c : cases) {
    CPlRuvoAVObject object;
    std::vector<char*> names, values;
    for (const char* n : c.names) names.push_back(const_cast<char*>(n));
    for (const char* v : c.values) values.push_back(const_cast<char*>(v));
    EXPECT_EQ(object.Init(static_cast<int>(names.size()), names.data(), values.data()), 1);
    std::string url;
    object.GetMediaURL(nullptr, url);
    EXPECT_EQ(url, c.url);
  }
}

TEST_F(AVObjectTest, SetMediaURLReplacesAndSendsNothing) {
  av->SetMediaURL(nullptr, "http://a/first.mpd");
  av->SetMediaURL(nullptr, "http://b/2");
  std::string url;
  av->GetMediaURL(nullptr, url);
  EXPECT_EQ(url, "http://b/2");
  av->SetMediaURL(nullptr, "");
  av->GetMediaURL(nullptr, url);
  EXPECT_EQ(url, "");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_STOP);
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "GetMediaURL:[]"));
}

TEST_F(AVObjectTest, GetPluginInfoServesOnlyTheVersion) {
  char buffer[1024];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(av->GetPluginInfo(nullptr, ePL_CMN_INFO_VERSION, buffer), 1);
  EXPECT_STREQ(buffer, "AVOBJECT-0009\n");
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(av->GetPluginInfo(nullptr, static_cast<_PL_CMN_INFO>(1), buffer), -4);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(av->GetPluginInfo(nullptr, ePL_CMN_INFO_VERSION, nullptr), -3);
  EXPECT_EQ(av->GetPluginInfo(nullptr, static_cast<_PL_CMN_INFO>(7), nullptr), -3);
}

TEST_F(AVObjectTest, IsPauseOnlyInThePauseState) {
  for (int state = 0; state <= 6; ++state) {
    av->stAVObjMember.mplayState = state;
    EXPECT_EQ(av->IsPause(), state == eAVOBJ_PLAYSTATE_PAUSE) << state;
  }
}

TEST_F(AVObjectTest, TrackIdKeepsTheWholeUnsignedRange) {
  EXPECT_EQ(av->SetCurTrackId(nullptr, 65535), 1);
  EXPECT_EQ(av->GetCurTrackId(nullptr), 65535);
}

TEST_F(AVObjectTest, FullScreenCallbackIsDroppedUnretained) {
  NPObject* function = Function();
  EXPECT_EQ(av->SetonFullScreenChange(nullptr, nullptr, function), 1);
  EXPECT_EQ(browser.RefCount(function), 1u);
}

}  // namespace
}  // namespace avtest
