// The AV object's record: starting values, attributes and fixed answers.
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
  // Construction opened the player once; a refusal is not retried.
  player->RefuseConnections(1);
  CPlRuvoAVObject refused;
  EXPECT_EQ(player->Attempts(), (std::vector<zor::ConnectAttempt>{{"1.000", "Player", true},
                                                                  {"1.000", "Player", false}}));
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

TEST_F(AVObjectTest, IsPauseOnlyInThePauseState) {
  for (int state = 0; state <= 6; ++state) {
    av->stAVObjMember.mplayState = state;
    EXPECT_EQ(av->IsPause(), state == eAVOBJ_PLAYSTATE_PAUSE) << state;
  }
}

// The operations kept for the interface's sake answer fixed values, keep
// nothing they are not meant to keep, and send nothing.
TEST_F(AVObjectTest, AccessorsAndEmptyOperationsAnswerTheirFixedValues) {
  NPObject* function = Function();
  char name[] = "n";
  CPlRuvoAVObject& o = *av;
  const std::pair<int, int> answers[] = {
      {o.GetError(nullptr), 0},
      {o.next(nullptr), 0},
      {o.previous(nullptr), 0},
      {o.setWidth(nullptr, 100), 1},
      {o.getWidth(nullptr), 0},
      {o.setHeight(nullptr, 100), 1},
      {o.getHeight(nullptr), 0},
      {o.getDataType(nullptr), 0},
      {o.setMaxPrerollBufferSize(300), 1},
      {o.getMaxPrerollBufferSize(nullptr), 300},
      {o.isFullSize(1, 2, 3, 4), 1},
      {o.GetNrTracks(nullptr), 1},
      {o.GetPersist(nullptr), 1},
      {o.SetPersist(nullptr, false), 1},
      {o.SetonFullScreenChange(nullptr, name, function), 1},
      {o.SetonPrerollBufferReady(nullptr, name, function), 1},
      {o.FullScreenChangeCallback(nullptr), 1},
      {o.CheckPluginType(name), 2},
      {o.setPlayerBufferSize(nullptr, 9), 1},
      {o.setPrerollBufferSize(nullptr, 9), 0},
      {o.GetSAP(nullptr), 0},
      {o.GetCurrentSAP(nullptr), 0},
      {o.GetSAPLan(nullptr, 1), 0},
      {o.SetSAP(nullptr, 1), 1},
      {o.SetCurTrackId(nullptr, 65535), 1},
      {o.GetCurTrackId(nullptr), 65535},
  };
  for (size_t i = 0; i < std::size(answers); ++i) {
    EXPECT_EQ(answers[i].first, answers[i].second) << "operation " << i;
  }
  EXPECT_STREQ(o.GetSinkProtocolInfo(nullptr), "");
  char* untouched = name;
  EXPECT_STREQ(o.getParamAttr("data", 1, &untouched, &untouched), "");
  unsigned long out = 7;
  std::string text = "5";
  EXPECT_EQ(o.GetUnsignedLong(text, &out), 1);
  EXPECT_EQ(out, 7u);
  EXPECT_EQ(browser.RefCount(function), 1u);  // neither stored nor retained
  EXPECT_EQ(std::string(name), "n");          // nor freed
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace avtest
