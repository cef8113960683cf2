// Player events: play states, positions and the page callbacks they cause,
// each compared as a whole transcript for every way of registering.
#include <gtest/gtest.h>

#include <tuple>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;

struct EventRow {
  int type;
  int state;              // after the event; -1 for no state event
  const char* stateName;  // as the state line names it
};

class EventTest : public AVObjectTest,
                  public ::testing::WithParamInterface<std::tuple<EventRow, Form>> {};

TEST_P(EventTest, MovesTheStateAndCallsThePageOnTheMainThread) {
  const auto& [row, form] = GetParam();
  Register(form);
  Register(Form::kFunction, true);  // progress must not be called
  av->stAVObjMember.mplayPosition = 1234;
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  const std::string type = std::to_string(row.type);
  const Lines received = {"4 OnEvent: CZorBase::OnEvent,type:[" + type + "]"};
  Lines expected = received + Lines{"5 OnEvent: Unhandled cases: type = " + type};
  if (row.state >= 0) {
    const std::string digit = std::to_string(row.state);
    expected = received +
               Lines{std::string("5 OnEvent: stAVObjMember.mplayState = ") + row.stateName,
                     "4 OnEvent: [" + std::string(HasName(form) ? "cb" : "") + "][" + digit +
                         "][detail]"} +
               Announced(form) + Delivered(form, digit, "detail");
  }
  // An unchanged state notifies again.
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(RunEvent(row.type, "ignored", "detail"), expected) << "round " << round;
  }
  EXPECT_EQ(State(), row.state >= 0 ? row.state : eAVOBJ_PLAYSTATE_PAUSE);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, 1234);
  EXPECT_EQ(av->OnEvent(row.type, "", ""), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventTest,
    ::testing::Combine(
        ::testing::Values(EventRow{1, 6, "eAVOBJ_PLAYSTATE_ERROR"},
                          EventRow{2, 6, "eAVOBJ_PLAYSTATE_ERROR"},
                          EventRow{3, 6, "eAVOBJ_PLAYSTATE_ERROR"},
                          EventRow{4, 6, "eAVOBJ_PLAYSTATE_ERROR"},
                          EventRow{6, 6, "eAVOBJ_PLAYSTATE_ERROR"},
                          EventRow{7, 1, "eAVOBJ_PLAYSTATE_PLAY"},
                          EventRow{12, 1, "eAVOBJ_PLAYSTATE_PLAY"},
                          EventRow{8, 5, "eAVOBJ_PLAYSTATE_FINISHED"},
                          EventRow{11, 4, "eAVOBJ_PLAYSTATE_BUFFERING"},
                          EventRow{13, 4, "eAVOBJ_PLAYSTATE_BUFFERING"},
                          EventRow{0, -1, ""}, EventRow{5, -1, ""}, EventRow{9, -1, ""},
                          EventRow{10, -1, ""}, EventRow{15, -1, ""}, EventRow{-1, -1, ""},
                          EventRow{2147483647, -1, ""}),
        ::testing::Values(Form::kNone, Form::kFunction, Form::kName, Form::kBoth)),
    [](const auto& info) {
      const int type = std::get<0>(info.param).type;
      return (type < 0 ? "TypeMinus" + std::to_string(-type) : "Type" + std::to_string(type)) +
             FormName(std::get<1>(info.param));
    });

class ProgressTest : public AVObjectTest, public ::testing::WithParamInterface<Form> {};

TEST_P(ProgressTest, RecordsThePositionAndPassesTheTextAsSent) {
  const Form form = GetParam();
  Register(form, true);
  Register(Form::kFunction);  // the state callback must not be called
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  const struct {
    const char* text;
    int position;
  } cases[] = {{"900", 900}, {"", 0}, {" -20ms", -20}, {"abc", 0},
               {"99999999999", 2147483647}};
  for (const auto& c : cases) {
    EXPECT_EQ(RunEvent(14, c.text, "p2"),
              Lines({"4 OnEvent: CZorBase::OnEvent,type:[14]",
                     std::string("4 OnEvent: function str:[") + (HasName(form) ? "cb" : "") +
                         "], param1:[" + c.text + "]\n"}) +
                  Announced(form) + Delivered(form, c.text, "p2"));
    EXPECT_EQ(av->stAVObjMember.mplayPosition, c.position) << c.text;
  }
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PAUSE);
}

INSTANTIATE_TEST_SUITE_P(Forms, ProgressTest,
                         ::testing::Values(Form::kNone, Form::kFunction, Form::kName,
                                           Form::kBoth),
                         [](const auto& info) { return FormName(info.param); });

}  // namespace
}  // namespace avtest
