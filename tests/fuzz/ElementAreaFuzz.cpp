// Any bytes as an element's "style", "width" and "height": the area stays
// defined, and a style a strict reader of `left: Npx; top: Npx; ...` accepts
// gives the same edges, as do decimal "width" and "height" attributes.
//
// Input: one flag byte (bit 0: a "width" attribute, bit 1: a "height"
// attribute, bit 2: the style comes after them), then the style, the width
// and the height texts separated by NULs.
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "LogCapture.h"
#include "TestBrowser.h"
#include "script/NumberConversion.h"
#include "script/plugin.h"
#include "zor/ScriptedService.h"

namespace {

// The edges of a style made only of `key: Npx` items, each key at most once,
// separated by ";" with blanks around tokens; N has at most nine digits.
std::optional<std::map<std::string, int32_t>> StrictStyle(const std::string& style) {
  std::map<std::string, int32_t> edges;
  size_t i = 0;
  const auto skipBlanks = [&] { while (i < style.size() && style[i] == ' ') ++i; };
  while (true) {
    skipBlanks();
    if (i == style.size()) return edges;
    std::string key;
    for (const char* name : {"left", "top", "width", "height"}) {
      if (style.compare(i, std::string(name).size(), name) == 0) key = name;
    }
    if (key.empty() || edges.count(key) != 0) return std::nullopt;
    i += key.size();
    skipBlanks();
    if (i == style.size() || style[i++] != ':') return std::nullopt;
    skipBlanks();
    const size_t start = i;
    if (i < style.size() && style[i] == '-') ++i;
    const size_t digits = i;
    while (i < style.size() && std::isdigit(static_cast<unsigned char>(style[i]))) ++i;
    if (i == digits || i - digits > 9) return std::nullopt;
    edges[key] = std::stoi(style.substr(start, i - start));
    skipBlanks();
    if (style.compare(i, 2, "px") != 0) return std::nullopt;
    i += 2;
    skipBlanks();
    if (i < style.size() && style[i++] != ';') return std::nullopt;
  }
}

// One element for every input: InitParams starts from zero each time, and
// opening the services once keeps the fuzzer fast.
struct Page {
  Page() {
    browser.InstallIntoModule();
    zor::RegisterService("Player", std::make_shared<zor::ScriptedService>());
    zor::RegisterService("Video", std::make_shared<zor::ScriptedService>());
    plugin = std::make_unique<CPlugin>(&npp);
  }
  testbrowser::TestBrowser browser;
  NPP_t npp{};
  std::unique_ptr<CPlugin> plugin;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Page page;
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::vector<std::string> texts(3);
  size_t part = 0;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && part < 2) ++part; else texts[part] += static_cast<char>(data[i]);
  }
  std::vector<char*> argn, argv;
  const auto add = [&](const char* name, std::string& value) {
    argn.push_back(const_cast<char*>(name));
    argv.push_back(value.data());
  };
  if (!(flags & 4)) add("style", texts[0]);
  if (flags & 1) add("width", texts[1]);
  if (flags & 2) add("height", texts[2]);
  if (flags & 4) add("style", texts[0]);

  CPlugin& plugin = *page.plugin;
  plugin.InitParams(static_cast<int>(argn.size()), argn.data(), argv.data());
  const auto area = plugin.AVObject()->stAVObjMember.mdisplayArea;
  const int32_t left = plugin.Edge(GeometryEdge::kLeft), top = plugin.Edge(GeometryEdge::kTop),
                width = plugin.Edge(GeometryEdge::kWidth),
                height = plugin.Edge(GeometryEdge::kHeight);
  // The plane area is taken when the style is read: it matches the final
  // edges unless a size attribute came after the style.
  const bool sizeAfterStyle = !(flags & 4) && (flags & 3);
  using script::ScaleToPlane;
  const bool areaMatches = area.x == ScaleToPlane(left, plugin.RatioX()) &&
                           area.y == ScaleToPlane(top, plugin.RatioY()) &&
                           area.w == ScaleToPlane(width, plugin.RatioX()) &&
                           area.h == ScaleToPlane(height, plugin.RatioY());
  FUZZ_CHECK(sizeAfterStyle || areaMatches,
             "plane area %d %d %d %d of edges %d %d %d %d", area.x, area.y, area.w, area.h,
             left, top, width, height);

  // The attributes' texts end at their first NUL, as the browser's do.
  const std::string style = texts[0].c_str();
  if (const auto edges = StrictStyle(style)) {
    const auto edge = [&](const char* key) { return edges->count(key) ? edges->at(key) : 0; };
    // An attribute before the style is kept unless it read 0; one after
    // the style always wins.
    const auto want = [&](bool attribute, const std::string& text, const char* key) {
      const int32_t given = attribute ? SaturatedDecimal(text) : 0;
      if (flags & 4) return given != 0 ? given : edge(key);
      return attribute ? given : edge(key);
    };
    FUZZ_CHECK(left == edge("left") && top == edge("top") &&
                   width == want(flags & 1, texts[1], "width") &&
                   height == want(flags & 2, texts[2], "height"),
               "edges %d %d %d %d of \"%s\"", left, top, width, height, style.c_str());
  }
  testbrowser::ClearTranscript();  // the messages were formatted; none is kept
  return 0;
}
