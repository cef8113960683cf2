// Module entry and the instance gate, through the exported entry points and
// the plug-in table they fill.
#include <gtest/gtest.h>

#include <cstring>

#include "LoadedModule.h"

namespace plugintest {
namespace {

template <typename T>
T Exported(const char* name) {
  return LoadedModule::Get().Symbol<T>(name);
}

// Whether a slot of the browser table lies within `size` bytes.
template <typename Slot>
bool SlotWithin(Slot NPNetscapeFuncs::*slot, uint16_t size) {
  const NPNetscapeFuncs table{};
  const auto offset =
      reinterpret_cast<const char*>(&(table.*slot)) - reinterpret_cast<const char*>(&table);
  return static_cast<size_t>(offset) + sizeof(table.*slot) <= size;
}

TEST(ModuleEntry, AnnouncesOneMimeTypeAndShutsDownCleanly) {
  const char* description = Exported<NP_GetMIMEDescriptionFunc>("NP_GetMIMEDescription")();
  EXPECT_STREQ(description, "application/x-ruvo-avobject::video/vnd.dlna.mpeg-tts");
  EXPECT_EQ(description, Exported<const char* (*)()>("NPP_GetMIMEDescription")());
  EXPECT_EQ(Exported<NP_ShutdownFunc>("NP_Shutdown")(), NPERR_NO_ERROR);
}

TEST(ModuleEntry, InitializeChecksTheBrowserTableInOrder) {
  const uint16_t full = sizeof(NPNetscapeFuncs);
  const struct {
    bool noTable;
    uint16_t version, size;
    NPError expected;
  } cases[] = {
      {true, 24, full, NPERR_INVALID_FUNCTABLE_ERROR},
      {false, 0x0100, full, NPERR_INCOMPATIBLE_VERSION_ERROR},
      {false, 0x0100, 100, NPERR_INCOMPATIBLE_VERSION_ERROR},  // version first
      {false, 24, 211, NPERR_INVALID_FUNCTABLE_ERROR},
      {false, 24, 212, NPERR_NO_ERROR},  // on 64-bit builds a short table
      {false, 0x00FF, full, NPERR_NO_ERROR},
  };
  const auto initialize = Exported<NP_InitializeFunc>("NP_Initialize");
  NPNetscapeFuncs& copy = *Exported<NPNetscapeFuncs*>("NPNFuncs");
  testbrowser::TestBrowser browser;
  browser.Table().enumerate = [](NPP, NPObject*, NPIdentifier**, uint32_t*) { return false; };
  EXPECT_EQ(initialize(&browser.Table(), nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  const auto keptWrite = reinterpret_cast<NPP_WriteProcPtr>(&browser);
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    copy = NPNetscapeFuncs{};
    NPNetscapeFuncs table = browser.Table();
    table.version = c.version;
    table.size = c.size;
    NPPluginFuncs plugin{};
    plugin.write = keptWrite;
    ASSERT_EQ(initialize(c.noTable ? nullptr : &table, &plugin), c.expected);
    if (c.expected != NPERR_NO_ERROR) {
      EXPECT_EQ(plugin.newp, nullptr);
      EXPECT_EQ(copy.memalloc, nullptr);
      continue;
    }
    EXPECT_EQ(Lines({std::to_string(plugin.size), std::to_string(plugin.version)}),
              Lines({"80", "24"}));
    EXPECT_NE(plugin.newp, nullptr);
    EXPECT_NE(plugin.getvalue, nullptr);
    EXPECT_EQ(plugin.write, keptWrite);
    EXPECT_EQ(plugin.setvalue, nullptr);
    EXPECT_EQ(copy.size, c.size);
    EXPECT_EQ(copy.version, c.version);
    EXPECT_EQ(copy.memalloc, table.memalloc);
    EXPECT_EQ(copy.enumerate, nullptr);
    // A slot beyond the declared size is not read.
    EXPECT_EQ(copy.releasevariantvalue, SlotWithin(&NPNetscapeFuncs::releasevariantvalue, c.size)
                                            ? table.releasevariantvalue
                                            : nullptr);
    EXPECT_EQ(copy.pluginthreadasynccall,
              SlotWithin(&NPNetscapeFuncs::pluginthreadasynccall, c.size)
                  ? table.pluginthreadasynccall
                  : nullptr);
  }
}

class GateTest : public BinaryTest {};

TEST(ModuleEntry, NoInstanceOnATableTooShortForIt) {
  const auto initialize = Exported<NP_InitializeFunc>("NP_Initialize");
  testbrowser::TestBrowser browser;
  NPNetscapeFuncs table = browser.Table();
  table.size = 212;  // all of it on 32-bit builds; not past getintidentifier on 64-bit
  NPPluginFuncs plugin{};
  ASSERT_EQ(initialize(&table, &plugin), NPERR_NO_ERROR);
  NPP_t npp{};
  char type[] = "application/x-ruvo-avobject";
  const bool complete = SlotWithin(&NPNetscapeFuncs::releasevariantvalue, 212);
  EXPECT_EQ(plugin.newp(type, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr),
            complete ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(npp.pdata != nullptr, complete);
  EXPECT_EQ(plugin.destroy(&npp, nullptr), NPERR_NO_ERROR);
  browser.RunPendingAsyncCalls();
  browser.ExpectClean();
}

TEST_F(GateTest, RefusesEveryCallWithoutAnInstance) {
  NPWindow window{};
  const char* name = nullptr;
  EXPECT_EQ(plugin.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(plugin.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(plugin.setwindow(nullptr, &window), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(plugin.newstream(nullptr, nullptr, nullptr, 0, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(plugin.destroystream(nullptr, nullptr, 0), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(plugin.writeready(nullptr, nullptr), 2);
  EXPECT_EQ(plugin.event(nullptr, nullptr), 0);
  EXPECT_EQ(plugin.getvalue(nullptr, NPPVpluginNameString, &name), NPERR_GENERIC_ERROR);
  EXPECT_EQ(Exported<NP_GetValueFunc>("NP_GetValue")(nullptr, NPPVpluginNameString, &name),
            NPERR_GENERIC_ERROR);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(player->ConnectionCount(), 0u);
}

TEST_F(GateTest, AnswersQueriesAboutThePlugin) {
  NPP_t bare{};  // an instance without pdata
  const char* text = nullptr;
  EXPECT_EQ(Exported<NP_GetValueFunc>("NP_GetValue")(&bare, NPPVpluginNameString, &text),
            NPERR_NO_ERROR);
  EXPECT_STREQ(text, "RuvoAVObject");
  EXPECT_EQ(plugin.getvalue(&bare, NPPVpluginDescriptionString, &text), NPERR_NO_ERROR);
  EXPECT_STREQ(text, "ZTQ_RuvoAVObject_Plugin");
  unsigned char bytes[2] = {0xAA, 0xAA};
  EXPECT_EQ(plugin.getvalue(&bare, NPPVpluginNeedsXEmbed, bytes), NPERR_NO_ERROR);
  EXPECT_EQ(Lines({std::to_string(bytes[0]), std::to_string(bytes[1])}),
            Lines({"1", "170"}));  // one byte
  for (NPPVariable other :
       {NPPVpluginScriptableNPObject, static_cast<NPPVariable>(0), NPPVpluginWindowBool}) {
    EXPECT_EQ(plugin.getvalue(&bare, other, bytes), NPERR_GENERIC_ERROR) << other;
  }
  EXPECT_EQ(bytes[0], 1) << "nothing written";
  EXPECT_EQ(plugin.destroy(&bare, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.writeready(&bare, nullptr), 0x0FFFFFFF);
}

TEST_F(GateTest, NewInstanceIsWindowlessAndKeepsOneScriptableObject) {
  NPP npp = New();
  ASSERT_EQ(browser.SetValueCalls().size(), 1u);
  EXPECT_EQ(browser.SetValueCalls()[0],
            std::make_pair(NPPVpluginWindowBool, static_cast<void*>(nullptr)));
  NPObject* first = Element(npp);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Element(npp), first);
  EXPECT_EQ(browser.RefCount(first), 3u);  // the instance's and one per request
  EXPECT_EQ(plugin.event(npp, nullptr), 0);
  uint16_t streamType = NP_ASFILE;
  EXPECT_EQ(plugin.newstream(npp, nullptr, nullptr, 0, &streamType), NPERR_NO_ERROR);
  EXPECT_EQ(streamType, NP_ASFILE);
  EXPECT_EQ(plugin.destroystream(npp, nullptr, NPRES_DONE), NPERR_NO_ERROR);
}

TEST_F(GateTest, SetWindowTakesEveryWindowOfALiveInstanceAndMovesNoVideo) {
  NPP npp = New();
  NPWindow window{};
  NPP_t bare{};
  EXPECT_EQ(plugin.setwindow(npp, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(plugin.setwindow(&bare, &window), NPERR_GENERIC_ERROR);
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);  // no native handle yet
  window.window = &window;
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);
  window.width = 640;
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);
  EXPECT_EQ(Rendered(npp), Lines{"SetAppID 1234 TestApp"});
}

}  // namespace
}  // namespace plugintest
