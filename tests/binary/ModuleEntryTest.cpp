// The built module as a browser meets it: the file as the dynamic linker
// sees it, its entry points, and the instance gate behind the plug-in table
// they fill. The program exports no logging hook.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "PluginHostTest.h"

namespace plugintest {
namespace {

struct DynamicInfo {
  std::set<std::string> defined;   // exported symbols
  std::set<std::string> weakRefs;  // weak references left to the loader
  std::set<std::string> needed;    // DT_NEEDED entries
};

// Reads .dynsym and .dynamic of the built file, an ELF file of the build's
// own class and byte order, with every read bounds-checked.
DynamicInfo ReadModuleFile() {
  std::ifstream stream(RUVO_PLUGIN_PATH, std::ios::binary);
  const std::string file{std::istreambuf_iterator<char>(stream), {}};
  auto read = [&file](size_t offset, auto* out) {
    if (offset > file.size() || file.size() - offset < sizeof *out) throw std::out_of_range("ELF");
    memcpy(out, file.data() + offset, sizeof *out);
  };
  // The string stops at the file's end at the latest.
  auto text = [&file](size_t at) { return std::string(file.c_str() + std::min(at, file.size())); };
  ElfW(Ehdr) header;
  read(0, &header);
  EXPECT_EQ(memcmp(header.e_ident, ELFMAG, SELFMAG), 0) << "not an ELF file";
  std::vector<ElfW(Shdr)> sections(header.e_shnum);
  for (size_t i = 0; i < sections.size(); ++i)
    read(header.e_shoff + i * header.e_shentsize, &sections[i]);
  DynamicInfo info;
  for (const ElfW(Shdr)& sec : sections) {
    const size_t strings = sections.at(sec.sh_link).sh_offset;
    ElfW(Sym) symbol;
    ElfW(Dyn) entry;
    for (size_t at = 0; sec.sh_type == SHT_DYNSYM && at < sec.sh_size; at += sizeof symbol) {
      read(sec.sh_offset + at, &symbol);
      if (symbol.st_name == 0) continue;
      const bool weakRef = symbol.st_shndx == SHN_UNDEF && (symbol.st_info >> 4) == STB_WEAK;
      if (symbol.st_shndx != SHN_UNDEF || weakRef)
        (weakRef ? info.weakRefs : info.defined).insert(text(strings + symbol.st_name));
    }
    for (size_t at = 0; sec.sh_type == SHT_DYNAMIC && at < sec.sh_size; at += sizeof entry) {
      read(sec.sh_offset + at, &entry);
      if (entry.d_tag == DT_NEEDED) info.needed.insert(text(strings + entry.d_un.d_val));
    }
  }
  return info;
}

// It exports only the entry points and the browser table, needs nothing
// beyond the system but the client library, and loads into a process that
// exports no logging hook, which it references weakly.
TEST(ModuleFile, ExportsNeedsAndReferencesOnlyWhatItMust) {
  const DynamicInfo info = ReadModuleFile();
  EXPECT_EQ(info.defined, (std::set<std::string>{"NP_Initialize", "NP_Shutdown", "NP_GetValue",
                                                 "NP_GetMIMEDescription", "NPP_Initialize",
                                                 "NPP_Shutdown", "NPP_GetMIMEDescription",
                                                 "NPNFuncs"}));
  // The C and C++ runtimes, and the sanitizers' in sanitizer builds.
  const std::regex system(
      R"((libc|libm|libstdc\+\+|libgcc_s|libpthread|libdl|librt|lib[at]san|libubsan)\.so.*|ld-.*)");
  std::set<std::string> platform;
  for (const std::string& name : info.needed) {
    if (!std::regex_match(name, system)) platform.insert(name);
  }
  EXPECT_EQ(platform, std::set<std::string>{"libZorClient.so"});
  EXPECT_EQ(info.weakRefs.count("weWebKitPrint"), 1u) << "the hook must be referenced weakly";
  ASSERT_EQ(dlsym(RTLD_DEFAULT, "weWebKitPrint"), nullptr) << "this program must not export it";
  EXPECT_NE(ModuleHandle(), nullptr) << dlerror();
}

// A table's function pointers, which follow its two 16-bit fields.
constexpr size_t FirstSlot(const NPNetscapeFuncs&) { return offsetof(NPNetscapeFuncs, geturl); }
constexpr size_t FirstSlot(const NPPluginFuncs&) { return offsetof(NPPluginFuncs, newp); }
template <typename Table>
std::vector<void*> Slots(const Table& table) {
  std::vector<void*> slots((sizeof(Table) - FirstSlot(table)) / sizeof(void*));
  memcpy(slots.data(), reinterpret_cast<const char*>(&table) + FirstSlot(table),
         slots.size() * sizeof(void*));
  return slots;
}
// A table whose every slot holds its own marker.
template <typename Table>
Table Markers(uintptr_t base) {
  Table table{};
  std::vector<void*> slots = Slots(table);
  for (size_t i = 0; i < slots.size(); ++i) slots[i] = reinterpret_cast<void*>(base + 16 * i);
  memcpy(reinterpret_cast<char*>(&table) + FirstSlot(table), slots.data(),
         slots.size() * sizeof(void*));
  return table;
}
template <typename Table, typename Slot>
size_t IndexOf(Slot Table::*slot) {
  static const Table table{};
  const auto offset =
      reinterpret_cast<const char*>(&(table.*slot)) - reinterpret_cast<const char*>(&table);
  return (offset - FirstSlot(table)) / sizeof(void*);
}

// Whether a slot of the browser table lies within `size` bytes.
template <typename Slot>
bool SlotWithin(Slot NPNetscapeFuncs::*slot, uint16_t size) {
  return FirstSlot(NPNetscapeFuncs{}) + (IndexOf(slot) + 1) * sizeof(void*) <= size;
}

TEST(ModuleEntry, AnnouncesOneMimeTypeAndShutsDownCleanly) {
  const char* description = Exported<NP_GetMIMEDescriptionFunc>("NP_GetMIMEDescription")();
  EXPECT_STREQ(description, "application/x-ruvo-avobject::video/vnd.dlna.mpeg-tts");
  EXPECT_EQ(description, Exported<const char* (*)()>("NPP_GetMIMEDescription")());
  EXPECT_EQ(Exported<NP_ShutdownFunc>("NP_Shutdown")(), NPERR_NO_ERROR);
}

TEST(ModuleEntry, InitializeChecksTheBrowserTableInOrder) {
  const uint16_t full = sizeof(NPNetscapeFuncs);
  // Whether the browser passes a table, its version and size, and the answer.
  const std::tuple<bool, uint16_t, uint16_t, NPError> cases[] = {
      {false, 24, full, NPERR_INVALID_FUNCTABLE_ERROR},
      {true, 0x0100, full, NPERR_INCOMPATIBLE_VERSION_ERROR},
      {true, 0x0100, 100, NPERR_INCOMPATIBLE_VERSION_ERROR},  // version first
      {true, 24, 211, NPERR_INVALID_FUNCTABLE_ERROR},  {true, 24, 212, NPERR_NO_ERROR},
      {true, 0x00FF, full, NPERR_NO_ERROR}};
  const auto initialize = ModuleInitialize();
  NPNetscapeFuncs& copy = *Exported<NPNetscapeFuncs*>("NPNFuncs");
  testbrowser::TestBrowser browser;
  EXPECT_EQ(initialize(&browser.Table(), nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  for (const auto& [passed, version, size, expected] : cases) {
    SCOPED_TRACE(std::to_string(version) + " " + std::to_string(size));
    copy = NPNetscapeFuncs{};
    NPNetscapeFuncs table = browser.Table();
    std::tie(table.version, table.size) = std::tie(version, size);
    NPPluginFuncs plugin{};
    ASSERT_EQ(initialize(passed ? &table : nullptr, &plugin), expected);
    if (expected != NPERR_NO_ERROR) {
      EXPECT_TRUE(!plugin.newp && !copy.memalloc) << "nothing filled, nothing copied";
      continue;
    }
    // The table as declared is copied; a slot beyond its size is not read.
    EXPECT_EQ(std::make_pair(copy.size, copy.version), std::make_pair(size, version));
    const bool whole = SlotWithin(&NPNetscapeFuncs::pluginthreadasynccall, size);
    EXPECT_EQ(copy.pluginthreadasynccall, whole ? table.pluginthreadasynccall : nullptr);
  }
}

// Both tables filled with markers: the module copies exactly the browser
// functions it uses and writes exactly its eleven entry points.
TEST(ModuleEntry, CopiesAndFillsExactlyTheirSlots) {
  NPNetscapeFuncs browser = Markers<NPNetscapeFuncs>(0x10000);
  browser.size = sizeof browser;
  browser.version = 27;
  NPPluginFuncs plugin = Markers<NPPluginFuncs>(0x90000);
  plugin.size = 1234;
  plugin.version = 99;
  ASSERT_EQ(ModuleInitialize()(&browser, &plugin), NPERR_NO_ERROR);

  const NPNetscapeFuncs& copy = *Exported<NPNetscapeFuncs*>("NPNFuncs");
  EXPECT_EQ(std::make_pair(copy.size, copy.version), std::make_pair(browser.size, uint16_t{27}));
  const size_t lastCopied = IndexOf(&NPNetscapeFuncs::setexception);
  EXPECT_EQ(lastCopied, 39u);
  const std::vector<void*> offered = Slots(browser), copied = Slots(copy);
  for (size_t i = 0; i < offered.size(); ++i) {
    const bool used = i <= lastCopied || i == IndexOf(&NPNetscapeFuncs::pluginthreadasynccall);
    EXPECT_EQ(copied[i], used ? offered[i] : nullptr) << "browser slot " << i;
  }

  EXPECT_EQ(std::make_pair(plugin.size, plugin.version),
            std::make_pair(uint16_t{80}, uint16_t{24}));
  const std::set<size_t> entryPoints = {
      IndexOf(&NPPluginFuncs::newp),          IndexOf(&NPPluginFuncs::destroy),
      IndexOf(&NPPluginFuncs::setwindow),     IndexOf(&NPPluginFuncs::newstream),
      IndexOf(&NPPluginFuncs::destroystream), IndexOf(&NPPluginFuncs::asfile),
      IndexOf(&NPPluginFuncs::writeready),    IndexOf(&NPPluginFuncs::print),
      IndexOf(&NPPluginFuncs::event),         IndexOf(&NPPluginFuncs::urlnotify),
      IndexOf(&NPPluginFuncs::getvalue)};
  const std::vector<void*> markers = Slots(Markers<NPPluginFuncs>(0x90000));
  const std::vector<void*> filled = Slots(plugin);
  for (size_t i = 0; i < filled.size(); ++i) {
    const char* state = filled[i] == markers[i] ? "kept" : filled[i] ? "written" : "cleared";
    EXPECT_STREQ(state, entryPoints.count(i) != 0 ? "written" : "kept") << "plug-in slot " << i;
  }
}

using GateTest = PluginHostTest;

TEST_F(GateTest, NoInstanceOnATableTooShortForIt) {
  NPNetscapeFuncs table = browser.Table();
  table.size = 212;  // all of it on 32-bit builds; not past getintidentifier on 64-bit
  ASSERT_EQ(ModuleInitialize()(&table, &plugin), NPERR_NO_ERROR);
  NPP_t npp{};
  char type[] = "application/x-ruvo-avobject";
  const bool complete = SlotWithin(&NPNetscapeFuncs::releasevariantvalue, 212);
  EXPECT_EQ(plugin.newp(type, &npp, NP_EMBED, 0, nullptr, nullptr, nullptr),
            complete ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(npp.pdata != nullptr, complete);
  EXPECT_EQ(plugin.destroy(&npp, nullptr), NPERR_NO_ERROR);
}

TEST_F(GateTest, AnswersWithoutALiveInstance) {
  const auto getValue = Exported<NP_GetValueFunc>("NP_GetValue");
  NPWindow window{};
  const char* text = nullptr;
  const NPError refused[] = {plugin.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
                             plugin.destroy(nullptr, nullptr), plugin.setwindow(nullptr, &window),
                             plugin.newstream(nullptr, nullptr, nullptr, 0, nullptr),
                             plugin.destroystream(nullptr, nullptr, 0)};
  for (const NPError& e : refused) EXPECT_EQ(e, NPERR_INVALID_INSTANCE_ERROR) << &e - refused;
  EXPECT_EQ(plugin.writeready(nullptr, nullptr), 2);
  EXPECT_EQ(plugin.event(nullptr, nullptr), 0);
  EXPECT_EQ(plugin.getvalue(nullptr, NPPVpluginNameString, &text), NPERR_GENERIC_ERROR);
  EXPECT_EQ(getValue(nullptr, NPPVpluginNameString, &text), NPERR_GENERIC_ERROR);
  EXPECT_EQ(text, nullptr);
  NPP_t bare{};  // an instance without pdata
  EXPECT_EQ(plugin.setwindow(&bare, &window), NPERR_GENERIC_ERROR);
  EXPECT_EQ(plugin.destroy(&bare, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.writeready(&bare, nullptr), 0x0FFFFFFF);
  EXPECT_EQ(player->ConnectionCount(), 0u);
  // A null out-pointer is refused rather than written through.
  EXPECT_EQ(plugin.getvalue(&bare, NPPVpluginNameString, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(getValue(&bare, NPPVpluginNameString, &text), NPERR_NO_ERROR);
  EXPECT_STREQ(text, "RuvoAVObject");
  EXPECT_EQ(plugin.getvalue(&bare, NPPVpluginDescriptionString, &text), NPERR_NO_ERROR);
  EXPECT_STREQ(text, "ZTQ_RuvoAVObject_Plugin");
  unsigned char bytes[2] = {0xAA, 0xAA};
  EXPECT_EQ(plugin.getvalue(&bare, NPPVpluginNeedsXEmbed, bytes), NPERR_NO_ERROR);
  EXPECT_EQ(bytes[0] * 256 + bytes[1], 0x01AA) << "true, in one byte";
  for (NPPVariable other : {NPPVpluginScriptableNPObject, NPPVariable{}, NPPVpluginWindowBool}) {
    EXPECT_EQ(plugin.getvalue(&bare, other, bytes + 1), NPERR_GENERIC_ERROR) << other;
  }
  EXPECT_EQ(bytes[1], 0xAA) << "nothing written";
}

TEST_F(GateTest, ALiveInstanceKeepsOneScriptableObjectAndTakesEveryWindow) {
  NPP npp = New();
  NPObject* first = Element(npp);
  EXPECT_EQ(Element(npp), first);
  EXPECT_EQ(browser.RefCount(first), 3u);  // the instance's and one per request
  // Every window of a live instance is taken, and no video moves.
  NPWindow window{};
  EXPECT_EQ(plugin.setwindow(npp, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);  // no native handle yet
  window.window = &window;
  EXPECT_EQ(plugin.setwindow(npp, &window), NPERR_NO_ERROR);
  EXPECT_EQ(Rendered(npp), Lines{"SetAppID 1234 TestApp"});
  // Streams and events on a live instance do nothing and succeed.
  EXPECT_EQ(plugin.newstream(npp, nullptr, nullptr, 0, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.destroystream(npp, nullptr, 0), NPERR_NO_ERROR);
  EXPECT_EQ(plugin.event(npp, &window), 0);
  // The element's class: version 3, and nothing to enumerate, remove or
  // construct.
  const NPClass& elementClass = *first->_class;
  EXPECT_EQ(elementClass.structVersion, 3u);
  NPIdentifier* ids = nullptr;
  uint32_t count = 7;
  NPVariant result{};
  EXPECT_FALSE(elementClass.enumerate(first, &ids, &count));
  EXPECT_FALSE(elementClass.removeProperty(first, browser.Table().getstringidentifier("data")));
  EXPECT_FALSE(elementClass.construct(first, nullptr, 0, &result));
  EXPECT_EQ(count, 7u);
}

// A browser without NPN_InvokeDefault still gets its elements (the call is
// dropped, and nothing leaks); an element it cannot create is null.
TEST_F(GateTest, ABrowserLackingAFunctionGetsWhatItCan) {
  NPNetscapeFuncs table = browser.Table();
  table.invokeDefault = nullptr;
  ASSERT_EQ(ModuleInitialize()(&table, &plugin), NPERR_NO_ERROR);
  PageScript script = Script(New());
  ASSERT_TRUE(script.Set("onPlayStateChange", Object(Function())));
  EXPECT_EQ(script.Invoke("stop"), "int:1");
  browser.RunPendingAsyncCalls();
  table.createobject = [](NPP, NPClass*) -> NPObject* { return nullptr; };
  ASSERT_EQ(ModuleInitialize()(&table, &plugin), NPERR_NO_ERROR);
  NPObject marker{};
  NPObject* element = &marker;  // must be overwritten
  EXPECT_EQ(plugin.getvalue(New(), NPPVpluginScriptableNPObject, &element), NPERR_NO_ERROR);
  EXPECT_EQ(element, nullptr);
}

}  // namespace
}  // namespace plugintest
