// The element's script surface through the built module, driven by a byte
// stream as a page and the platform's services could drive it. After each
// sequence every object and NPN_MemAlloc block is gone, the window holds its
// one reference and the test browser saw no misuse; a call that reached a
// destroyed instance is a use after free the address sanitizer reports.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "TestBrowser.h"
#include "npfunctions.h"
#include "zor/ScriptedService.h"

namespace {

constexpr const char* kMembers[] = {
    "data", "playPosition", "playTime", "playState", "error", "speed", "fullScreen",
    "onPlayStateChange", "onUpdateProgress", "persist", "nrTracks", "currentTrackIndex",
    "left", "onFullScreenChange", "top", "width", "height", "play", "stop", "seek",
    "setFullScreen", "GetPluginInfo", "next", "previous", "id"};
constexpr const char* kTypes[] = {"application/x-ruvo-avobject", "application/dash+xml",
                                  "application/vnd.apple.mpegurl",
                                  "application/vnd.apple.mpegurl.audio", "text/plain"};
constexpr const char* kCommands[] = {"InitPlayer", "SetDisplayArea", "SetPlaybackSpeed",
                                     "StartPlayback", "Stop", "Pause", "Resume",
                                     "JumpForward", "JumpBackward", "GetDuration",
                                     "GetPlayTime", "GetPlayPosition"};
constexpr int kEventTypes[] = {1, 6, 7, 8, 11, 12, 13, 14, 0, 99};
constexpr int32_t kInts[] = {0, 1, -1, 2, INT32_MIN, INT32_MAX};
constexpr double kDoubles[] = {NAN, HUGE_VAL, -HUGE_VAL, 1e300, -1e300,
                               -0.0, 0.5, 2.9, 2147483648.0, -2147483649.0};
constexpr size_t kMaxInstances = 4;

template <typename T, size_t N>
const T& Pick(const T (&table)[N], uint8_t byte) { return table[byte % N]; }

class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_size == 0; }
  uint8_t Byte() { return m_size == 0 ? 0 : (--m_size, *m_data++); }
  std::string Take(size_t n) {
    n = std::min(n, m_size);
    std::string bytes(reinterpret_cast<const char*>(m_data), n);
    m_data += n;
    m_size -= n;
    return bytes;
  }
  std::string Text() { return Take(Byte() % 32); }
  template <typename T>
  T Raw() {
    T value{};
    const std::string bytes = Take(sizeof value);
    std::memcpy(&value, bytes.data(), bytes.size());
    return value;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

struct Browser {
  Browser() {
    void* module = dlopen(RUVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    FUZZ_CHECK(module != nullptr, "%s", dlerror());
    auto initialize = reinterpret_cast<NP_InitializeFunc>(dlsym(module, "NP_Initialize"));
    FUZZ_CHECK(initialize != nullptr && initialize(&browser.Table(), &plugin) == NPERR_NO_ERROR,
               "NP_Initialize");
    zor::RegisterService("Player", player);
    zor::RegisterService("Video", std::make_shared<zor::ScriptedService>());
  }
  testbrowser::TestBrowser browser;
  NPPluginFuncs plugin{};
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
};

struct Element {
  NPP_t npp{};
  bool alive = false;
  size_t playerConnection = 0;
  NPObject* object = nullptr;  // the page's reference
  std::vector<std::string> texts;
};

class Page {
 public:
  Page(Browser& b, Input& in) : m_b(b), m_in(in), m_table(b.browser.Table()) {}

  void Step() {
    const uint8_t op = m_in.Byte();
    Element* element = AnyElement();
    switch (op % 10) {
      case 0: New(); break;
      case 1: if (element && element->alive) Destroy(*element); break;
      case 2: if (element && element->object) Get(*element); break;
      case 3: if (element && element->object) Set(*element); break;
      case 4: case 5: if (element && element->object) Invoke(*element, op % 10 == 5); break;
      case 6: if (element) Answer(*element); break;
      case 7: if (element) Emit(*element); break;
      case 8: m_b.browser.RunPendingAsyncCalls(); break;
      case 9:
        if (element && element->object) {
          m_table.releaseobject(std::exchange(element->object, nullptr));
        }
        break;
    }
  }

  void End() {
    for (Element& element : m_elements) {
      if (element.alive) Destroy(element);
      if (element.object) m_table.releaseobject(element.object);
    }
    for (NPObject* function : m_functions) m_table.releaseobject(function);
    m_b.browser.RunPendingAsyncCalls();
  }

 private:
  void New() {
    if (m_elements.size() == kMaxInstances) return;
    m_elements.reserve(kMaxInstances);  // the module keeps pointers to npp
    Element& element = m_elements.emplace_back();
    element.playerConnection = m_b.player->ConnectionCount();
    element.texts = {Pick(kTypes, m_in.Byte()), "data", m_in.Text(), "style", m_in.Text()};
    char* names[] = {element.texts[1].data(), element.texts[3].data()};
    char* values[] = {element.texts[2].data(), element.texts[4].data()};
    if (m_b.plugin.newp(element.texts[0].data(), &element.npp, NP_EMBED, m_in.Byte() % 3, names,
                        values, nullptr) != NPERR_NO_ERROR) {
      return;
    }
    element.alive = true;
    m_b.plugin.getvalue(&element.npp, NPPVpluginScriptableNPObject, &element.object);
  }

  void Destroy(Element& element) {
    m_b.plugin.destroy(&element.npp, nullptr);
    m_b.browser.InstanceDestroyed(&element.npp);
    element.alive = false;
  }

  NPVariant Value() {
    NPVariant v{};
    const uint8_t kind = m_in.Byte();
    switch (kind % 8) {
      case 0: v.type = NPVariantType_Void; break;
      case 1: v.type = NPVariantType_Null; break;
      case 2: v.type = NPVariantType_Bool, v.value.boolValue = kind & 8; break;
      case 3:
        v.type = NPVariantType_Int32;
        v.value.intValue = (kind & 8) ? m_in.Raw<int32_t>() : Pick(kInts, m_in.Byte());
        break;
      case 4:
        v.type = NPVariantType_Double;
        v.value.doubleValue = (kind & 8) ? m_in.Raw<double>() : Pick(kDoubles, m_in.Byte());
        break;
      case 5: {
        const std::string& text = m_strings.emplace_back(m_in.Text());
        v.type = NPVariantType_String;
        v.value.stringValue = {text.data(), static_cast<uint32_t>(text.size())};
        break;
      }
      case 6: v.type = NPVariantType_Object, v.value.objectValue = Function(); break;
      case 7: {
        Element* other = AnyElement();
        v.type = NPVariantType_Object;
        v.value.objectValue = other && other->object ? other->object : m_b.browser.Window();
        break;
      }
    }
    return v;
  }

  Element* AnyElement() {
    return m_elements.empty() ? nullptr : &m_elements[m_in.Byte() % m_elements.size()];
  }

  NPObject* Function() {
    if (m_functions.size() < 4) m_functions.push_back(m_b.browser.CreateFunction("f"));
    return m_functions[m_in.Byte() % m_functions.size()];
  }

  NPIdentifier Member() { return m_table.getstringidentifier(Pick(kMembers, m_in.Byte())); }

  void Get(Element& element) {
    NPVariant result{};
    if (element.object->_class->getProperty(element.object, Member(), &result)) {
      m_table.releasevariantvalue(&result);
    }
  }

  void Set(Element& element) {
    const NPIdentifier name = Member();
    const NPVariant value = Value();
    element.object->_class->setProperty(element.object, name, &value);
  }

  void Invoke(Element& element, bool orAsk) {
    const NPIdentifier name = Member();
    std::vector<NPVariant> args(m_in.Byte() % 4);
    for (NPVariant& arg : args) arg = Value();
    NPClass& cls = *element.object->_class;
    NPVariant result{};
    bool ok = false;
    if (!orAsk) {
      ok = cls.invoke(element.object, name, args.data(), args.size(), &result);
    } else if (args.empty()) {
      ok = cls.invokeDefault(element.object, args.data(), 0, &result);
    } else {
      cls.hasMethod(element.object, name);
      cls.hasProperty(element.object, name);
    }
    if (ok) m_table.releasevariantvalue(&result);
  }

  void Answer(Element& element) {
    const std::string command = Pick(kCommands, m_in.Byte());
    if (element.playerConnection < m_b.player->ConnectionCount()) {
      m_b.player->Connection(element.playerConnection)->Answer(command, m_in.Text());
    }
  }

  void Emit(Element& element) {
    const int type = Pick(kEventTypes, m_in.Byte());
    std::string first = m_in.Text(), second = m_in.Text();
    if (element.playerConnection < m_b.player->ConnectionCount()) {
      auto connection = m_b.player->Connection(element.playerConnection);
      connection->Emit(type, std::move(first), std::move(second));
      connection->WaitDelivered();
    }
  }

  Browser& m_b;
  Input& m_in;
  NPNetscapeFuncs& m_table;
  std::vector<Element> m_elements;
  std::vector<NPObject*> m_functions;
  std::deque<std::string> m_strings;  // texts of string arguments, stable
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Browser b;
  Input in(data, size);
  using QueuedAfterDestroy = testbrowser::TestBrowser::QueuedAfterDestroy;
  b.browser.SetQueuedAfterDestroy(in.Byte() & 1 ? QueuedAfterDestroy::kRun
                                                : QueuedAfterDestroy::kDrop);
  {
    Page page(b, in);
    for (int steps = 0; steps < 256 && !in.Empty(); ++steps) page.Step();
    page.End();
  }
  // A page may register any object as a callback; calling one that is not
  // a function is what a browser answers with false, not misuse.
  auto errors = b.browser.Errors();
  errors.erase(std::remove(errors.begin(), errors.end(), testbrowser::kInvokeDefaultOnNonFunction),
               errors.end());
  FUZZ_CHECK(errors.empty(), "the browser saw misuse: %s", errors.front().c_str());
  FUZZ_CHECK(b.browser.LiveObjects() == 0, "%zu objects left", b.browser.LiveObjects());
  FUZZ_CHECK(b.browser.LiveAllocations() == 0, "%zu blocks left", b.browser.LiveAllocations());
  FUZZ_CHECK(b.browser.RefCount(b.browser.Window()) == 1, "window references %u",
             b.browser.RefCount(b.browser.Window()));
  return 0;
}
