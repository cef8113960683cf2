// An instance's creation and destruction as the browser drives them: the
// whole transcript, the application identity sent, the common log prefix,
// and creation failing at each of its allocations.
#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>
#include <string>

#include "FailingAllocations.h"
#include "LogCapture.h"
#include "PluginHostTest.h"
#include "Transcript.h"
#include "script/plugin.h"

namespace plugintest {
namespace {

using InstanceTest = PluginHostTest;
using testbrowser::operator+;

TEST_F(InstanceTest, CreationAndDestructionHaveTheirWholeTranscript) {
  browser.SetWidgetSize("1366", "720");
  testbrowser::ClearTranscript();
  // A message without the common prefix reads so in the transcript; the
  // file each names is seen only here.
  std::string file;
  testbrowser::SetLogObserver([&file](const testbrowser::LogLine& line) {
    if (file.empty() && line.function == "NPP_New") file = line.file;
  });
  EXPECT_EQ(NP_Initialize(&browser.Table(), &plugin), NPERR_NO_ERROR);
  NPP npp = New("application/dash+xml",
                {{"data", "http://tv/v"}, {"style", "left:100px;width:640px;height:360px"}});
  NPWindow window{};
  window.window = &window;
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);
  EXPECT_FALSE(static_cast<CPlugin*>(npp->pdata)->init(nullptr));  // no window, no init
  EXPECT_EQ(plugin.newstream(npp, nullptr, nullptr, 0, nullptr), NPERR_NO_ERROR);
  Destroy(npp);
  browser.SetWindowAvailable(false);
  New(kAVObjectType, {{"width", "8"}, {"height", "x"}});
  EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
  testbrowser::SetLogObserver(nullptr);
  EXPECT_EQ(file, "npp_gate");
  const Lines opened = {"5 NPP_New:  ",
                        "5 CZorBase:  ",
                        "4 Open:  Player / 1.000 / Player\n",
                        "5 GetOSDResolution:  ",
                        "> GetOSDResolution |||",
                        "5 GetOSDResolution: [GetOSDResolution]:1",
                        "> SetAppID 1234|TestApp||"};
  EXPECT_EQ(testbrowser::TakeTranscript(),
            (Lines{"5 NP_Initialize: Start NP_Initialize", "5 NP_Initialize: End NP_Initialize\n"} +
             opened + Lines{"5 CPlugin: NPNFuncs.getvalue@NPNVWindowNPObject nperr::(0)\n",
                           "5 CPlugin: CPlRuvoTVControl::CPlRuvoTVControl to get width/height ratio",
                           "eval (function() { return curWidget.width.toString(); })()",
                           "eval (function() { return curWidget.height.toString(); })()",
                           "4 CPlugin: ratio:[1.405564][1.500000]",
                           "5 SetMediaURL:  ",
                           "5 ParseLeftTop: CPlugin::ParseLeftTop:[left:100px;width:640px;height:360px]",
                           "4 ParseLeftTop: CPlugin::ParseLeftTop,top:[0],left:[100]",
                           "4 ParseLeftTop: CPlugin::ParseLeftTop,width:[640],height:[360]",
                           "4 NPP_New: bexoli RuvoAVObject pluginType = [application/dash+xml]",
                           "setvalue 3 null",
                           "5 NPP_SetWindow:  ", "5 NPP_NewStream:  "} +
                opened +
                Lines{"5 CPlugin: NPNFuncs.getvalue@NPNVWindowNPObject nperr::(1)\n",
                      "5 CPlugin: CPlRuvoTVControl::CPlRuvoTVControl to get width/height ratio",
                      "4 CPlugin: ratio:[1.000000][1.000000]",
                      "5 CPlugin: sWindowObj is NULL",
                      "5 InitParams: CPlugin::InitParams:width:[8]",
                      "5 InitParams: CPlugin::InitParams:height:[0]",
                      "4 NPP_New: bexoli RuvoAVObject pluginType = [application/x-ruvo-avobject]",
                      "setvalue 3 null",
                      "5 NP_Shutdown: NP_Shutdown\n"}));
}

TEST_F(InstanceTest, ApplicationIdentityIsSentAsTheBrowserAnswers) {
  const struct {
    std::optional<int32_t> id;
    std::optional<std::string> name;
    std::string sent;
  } cases[] = {
      {-5, "app", "-5 app"},
      {123456789, "x", "1234567 x"},  // seven characters at most
      {7, std::string(2000, 'n'), "7 " + std::string(1023, 'n')},
      {7, std::string(1024, 'm'), "7 " + std::string(1023, 'm')},  // unterminated
      {std::nullopt, std::nullopt, "0"},  // neither answered: nothing read
  };
  for (const auto& c : cases) {
    browser.SetAppId(c.id);
    browser.SetAppName(c.name);
    EXPECT_EQ(Rendered(New(), "SetAppID"), Lines{"SetAppID " + c.sent});
  }
}

// Creation fails at each of its allocations in turn, until an attempt makes
// fewer: every failure answers out of memory, in bounded time, leaving no
// connection open and nothing of the browser's held. The first sweep also
// meets the process's one-time allocations, which shift the later ones by
// one and so skip one of them; the second meets each as it always runs.
TEST_F(InstanceTest, CreationFailsCleanlyAtEachAllocation) {
  char type[] = "application/x-ruvo-avobject";
  char dataName[] = "data", dataValue[] = "http://tv/v";
  char* names[] = {dataName};
  char* values[] = {dataValue};
  int failures = 0;
  for (int sweep = 1; sweep <= 2; ++sweep) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE("sweep " + std::to_string(sweep) + ", allocation " + std::to_string(n));
      NPP_t npp{};
      // A hang is the fault looked for: the alarm's signal ends the whole
      // program, loudly, rather than stall the run.
      alarm(20);
      testbrowser::FailNthAllocation(n);
      const NPError error = plugin.newp(type, &npp, NP_EMBED, 1, names, values, nullptr);
      const bool reached = !testbrowser::AllocationFailurePending();
      testbrowser::FailNthAllocation(0);
      alarm(0);
      if (!reached) {  // the attempt made fewer than n allocations
        EXPECT_NE(npp.pdata, nullptr);
        EXPECT_EQ(plugin.destroy(&npp, nullptr), NPERR_NO_ERROR);
        break;
      }
      ++failures;
      if (error == NPERR_NO_ERROR) {  // an allocation whose failure is survivable
        EXPECT_EQ(plugin.destroy(&npp, nullptr), NPERR_NO_ERROR);
        continue;
      }
      EXPECT_EQ(error, NPERR_OUT_OF_MEMORY_ERROR);
      EXPECT_EQ(npp.pdata, nullptr);
      browser.ExpectClean();
      for (const auto& service : {player, video}) {
        for (size_t i = 0; i < service->ConnectionCount(); ++i) {
          EXPECT_FALSE(service->Connection(i)->IsOpen()) << "connection " << i;
        }
      }
    }
  }
  EXPECT_GT(failures, 40);
}

}  // namespace
}  // namespace plugintest
