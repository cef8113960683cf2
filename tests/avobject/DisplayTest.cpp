// Display area and full screen, compared as whole transcripts.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

// What SetDisplayArea writes and sends for one rectangle and one answer.
Lines AreaLines(const std::string& x, const std::string& y, const std::string& w,
                const std::string& h, bool accepted, const std::string& screen = "720") {
  return {"4 SetDisplayArea: SetDisplayArea:[" + x + "][" + y + "][" + w + "][" + h + "][" +
              screen + "]",
          "> SetDisplayArea " + x + "|" + y + "|" + w + "|" + h + "|1080|||||",
          std::string("5 SetDisplayArea: [SetDisplayArea:") + (accepted ? "1" : "0") + "]"};
}

TEST_F(AVObjectTest, SetDisplayAreaSendsValuesAsTheyComeAndAcceptsOnlyTheIntegerOne) {
  av->mscreenHeight = 720;
  const struct {
    int x, y, w, h;
    const char* answer;
    int result;
  } cases[] = {{-10, 0, 0, 0, "I1", 1},
               {2147483647, -2147483647 - 1, 5000, 1, "I1", 1},
               {1, 2, 3, 4, "I0", 0},
               {1, 2, 3, 4, "I2", 0},
               {1, 2, 3, 4, "E", 0},
               {1, 2, 3, 4, "A1", 0}};
  for (const auto& c : cases) {
    Answer("SetDisplayArea", c.answer);
    int result = -1;
    EXPECT_EQ(Run([&] { result = av->SetDisplayArea(c.x, c.y, c.w, c.h); }),
              AreaLines(std::to_string(c.x), std::to_string(c.y), std::to_string(c.w),
                        std::to_string(c.h), c.result == 1));
    EXPECT_EQ(result, c.result) << c.answer;
  }
}

TEST_F(AVObjectTest, FullScreenSwitchesOnlyOnChangeAndNeverCallsThePage) {
  Register(Form::kFunction);
  av->mscreenHeight = 720;
  const Lines entry = {"5 SetFullScreen:  "};
  const struct {
    bool on;
    const char* answer;
    int fullScreen;  // after the call
    Lines transcript;
  } steps[] = {
      {false, "I1", 0, entry},  // not in full screen: nothing to do
      {true, "I1", 1, entry + AreaLines("0", "0", "1920", "1080", true)},
      {true, "I1", 1, entry},
      // A refused area still leaves full screen, back to the area last
      // recorded, changes made while in full screen included.
      {false, "E", 0,
       entry + Lines{"4 SetFullScreen: x: 150, y: 0, w: 1920, h: 1080\n"} +
           AreaLines("150", "0", "1920", "1080", false)},
      {false, "I1", 0, entry},
  };
  for (const auto& step : steps) {
    if (step.on) av->stAVObjMember.mdisplayArea.x = 150;  // script moved the element
    player->SetDefault("SetDisplayArea", step.answer);
    EXPECT_EQ(Run([&] { EXPECT_EQ(av->SetFullScreen(nullptr, step.on), 1); }),
              step.transcript);
    EXPECT_EQ(av->isFullScreen(nullptr), step.fullScreen);
  }
}

TEST_F(AVObjectTest, PlaySendsTheElementAreaEvenInFullScreen) {
  av->stAVObjMember.mdisplayArea = {1, 2, 3, 4};
  av->SetFullScreen(nullptr, true);
  Connection()->ClearReceived();
  av->Play(nullptr, 1, NSPlRuvoAVObject::eCOMPONENT_OTHER);
  EXPECT_EQ(Sent().at(1),
            (zor::ReceivedCommand{"SetDisplayArea", {"1", "2", "3", "4", "1080", "", "", "", "", ""}}));
}

}  // namespace
}  // namespace avtest
