// tvbrowser's web-process extension: loads the module once per web process
// and, for each page, makes its plug-in elements the module's instances
// through the shared NPAPI browser library. Ends the run by a message to the
// browser process with the exit code, after the teardown a browser does.
#include <dlfcn.h>
#include <webkit2/webkit-web-extension.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Browser.h"
#include "Element.h"
#include "ExitCodes.h"
#include "JsUtil.h"
#include "LeakLedger.h"
#include "LogHook.h"
#include "PageBootstrap.h"
#include "PlaneMessages.h"
#include "PlaneSnapshots.h"
#include "PluginInstances.h"
#include "PluginModule.h"
#include "ProgramName.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"
#include "TaskPoster.h"
#include "TestGlobal.h"
#include "players/GstPlayerService.h"
#include "players/SimPlayer.h"
#include "players/StandInPlane.h"
#include "players/VideoService.h"
#include "zor/ScriptedService.h"
#include "zor/ServiceRegistry.h"

namespace tvbrowser {
namespace {

using namespace npbrowser;

// The web process's GLib main context is its main thread's loop. An idle
// source rather than g_main_context_invoke, which runs the task at once when
// posted from the main thread: a module's async call must never run inside
// the call that queued it.
class GlibTaskPoster : public TaskPoster {
 public:
  void Post(Task task) override {
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) {
          (*static_cast<Task*>(data))();
          return G_SOURCE_REMOVE;
        },
        new Task(std::move(task)), [](gpointer data) { delete static_cast<Task*>(data); });
  }
};

struct Settings {
  std::string plugin;
  std::string player = "sim";
  int logLevel = 0;
  int widgetWidth = 1280;
  int widgetHeight = 720;
  bool checkLeaks = false;
  double mediaDuration = 30;
  double timeScale = 1;
  int osdResolution = 2;
  int appId = 0;
  std::string appName;
  std::string keys;
  int serviceTimeoutMs = 5000;
  std::vector<std::string> args;
  std::string snapshotDir;
  bool screenshot = false;  // the plane goes to the browser process at the end
};

Settings ReadSettings(GVariant* data) {
  Settings settings;
  GVariantIter iter;
  const char* key;
  const char* value;
  g_variant_iter_init(&iter, data);
  while (g_variant_iter_next(&iter, "(&s&s)", &key, &value)) {
    std::string k = key;
    if (k == "plugin") settings.plugin = value;
    if (k == "player") settings.player = value;
    if (k == "log-level") settings.logLevel = atoi(value);
    if (k == "widget-width") settings.widgetWidth = atoi(value);
    if (k == "widget-height") settings.widgetHeight = atoi(value);
    if (k == "check-leaks") settings.checkLeaks = true;
    if (k == "media-duration") settings.mediaDuration = g_ascii_strtod(value, nullptr);
    if (k == "time-scale") settings.timeScale = g_ascii_strtod(value, nullptr);
    if (k == "osd-resolution") settings.osdResolution = atoi(value);
    if (k == "app-id") settings.appId = atoi(value);
    if (k == "app-name") settings.appName = value;
    if (k == "keys") settings.keys = value;
    if (k == "service-timeout") settings.serviceTimeoutMs = atoi(value);
    if (k == "arg") settings.args.push_back(value);
    if (k == "snapshot-dir") settings.snapshotDir = value;
    if (k == "screenshot") settings.screenshot = true;
  }
  return settings;
}

// One page's script context and the plug-in instances in it.
struct PageSession {
  PageSession(JSGlobalContextRef context, Browser& browser, PluginModule& module)
      : engine(context), bridge(engine, browser, NumberMode::kDouble),
        instances(module, browser, bridge) {}
  ~PageSession() {
    for (auto& entry : elements) JSValueUnprotect(engine.Context(), entry.first);
  }
  ScriptEngine engine;
  ScriptBridge bridge;
  PluginInstances instances;
  std::map<JSObjectRef, std::unique_ptr<Element>> elements;  // protected keys
  std::unique_ptr<TestGlobal> testGlobal;
};

class Extension {
 public:
  Extension(WebKitWebExtension* extension, Settings settings)
      : m_settings(std::move(settings)), m_browser(m_poster, m_ledger),
        m_snapshots([this](const std::string& path) { return SendSnapshot(path); },
                    m_settings.snapshotDir) {
    SetProgramName("tvbrowser");
    SetModuleLogLevel(m_settings.logLevel);
    m_browser.SetAppIdentity(m_settings.appId, m_settings.appName);
    std::string error;
    if (!m_module.Load(m_settings.plugin, &error) ||
        !m_module.Initialize(m_browser.Funcs(), &error)) {
      m_loadError = "cannot load module " + m_settings.plugin + ": " + error;
    }
    RegisterServices();
    g_signal_connect(extension, "page-created", G_CALLBACK(OnPageCreated), this);
    g_signal_connect(webkit_script_world_get_default(), "window-object-cleared",
                     G_CALLBACK(OnWindowObjectCleared), this);
  }

 private:
  // Every player draws a plane: GStreamer its pictures, the others a
  // stand-in rectangle per element.
  void RegisterServices() {
    zor::SetCommandTimeout(std::chrono::milliseconds(m_settings.serviceTimeoutMs));
    if (m_settings.player == "gst") {
      auto gst = std::make_shared<players::GstPlayerService>();
      m_composePlane = [gst] { return gst->ComposePlane(); };
      zor::RegisterService("Player", gst);
    } else {
      std::shared_ptr<zor::Service> player;
      if (m_settings.player == "scripted") {
        m_scripted = std::make_shared<zor::ScriptedService>();
        player = m_scripted;
      } else {
        player = std::make_shared<players::SimPlayerService>(
            players::SimPlayerSettings{m_settings.mediaDuration, m_settings.timeScale});
      }
      auto plane = std::make_shared<players::StandInPlane>(player);
      m_composePlane = [plane] { return plane->Compose(); };
      zor::RegisterService("Player", plane);
    }
    zor::RegisterService("Video", std::make_shared<players::VideoService>(m_settings.osdResolution));
  }

  static void OnPageCreated(WebKitWebExtension*, WebKitWebPage* page, Extension* self) {
    self->m_page = page;
    g_signal_connect(page, "user-message-received", G_CALLBACK(OnMessage), self);
  }

  // The browser process asks for the teardown when it ends the run itself,
  // and for the plane to show it or to take a screenshot.
  static gboolean OnMessage(WebKitWebPage*, WebKitUserMessage* message, Extension* self) {
    const char* name = webkit_user_message_get_name(message);
    if (g_strcmp0(name, "plane") == 0) {
      webkit_user_message_send_reply(
          message, webkit_user_message_new("plane", PlaneVariant(self->m_composePlane())));
      return TRUE;
    }
    if (g_strcmp0(name, "finish") != 0) return FALSE;
    self->Finish(0);
    return TRUE;
  }

  // The plane is taken now; the browser process draws the page over it
  // and writes the file once the page has been drawn, before the run ends.
  bool SendSnapshot(const std::string& path) {
    if (m_page == nullptr) return false;
    GVariant* parameters = g_variant_new("(s@ay)", path.c_str(), PlaneVariant(m_composePlane()));
    webkit_web_page_send_message_to_view(m_page, webkit_user_message_new("snapshot", parameters),
                                         nullptr, nullptr, nullptr);
    return true;
  }

  static void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage*,
                                    WebKitFrame* frame, Extension* self) {
    if (!webkit_frame_is_main_frame(frame)) return;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    JSGlobalContextRef context = webkit_frame_get_javascript_context_for_script_world(frame, world);
    G_GNUC_END_IGNORE_DEPRECATIONS
    self->StartPage(context);
  }

  void StartPage(JSGlobalContextRef context) {
    if (!m_loadError.empty()) {
      fprintf(stderr, "tvbrowser: %s\n", m_loadError.c_str());
      SendExit(kExitLoadError);
      return;
    }
    EndPage();  // navigation and reload end the previous page's instances
    m_session = std::make_unique<PageSession>(context, m_browser, m_module);
    m_browser.SetBridge(&m_session->bridge);
    m_session->engine.SetUncaughtHandler([this](const std::string& report) { Fail(report); });
    InstallGlobals(context);
  }

  void EndPage() {
    if (!m_session) return;
    ReleaseInstances();
    m_session.reset();
  }

  // Destroys the page's instances and lets go of script's references to
  // the module's objects; the script context itself stays.
  void ReleaseInstances() {
    m_session->instances.DestroyAll();
    m_session->bridge.ReleaseWrappedObjects();
    m_browser.SetBridge(nullptr);
  }

  void InstallGlobals(JSGlobalContextRef ctx) {
    JSObjectRef global = JSContextGetGlobalObject(ctx);
    JSObjectRef widget = JSObjectMake(ctx, nullptr, nullptr);
    SetProperty(ctx, widget, "width", JSValueMakeNumber(ctx, m_settings.widgetWidth));
    SetProperty(ctx, widget, "height", JSValueMakeNumber(ctx, m_settings.widgetHeight));
    SetProperty(ctx, global, "curWidget", widget);
    InstallKeyEvent(ctx, global);
    InstallTestGlobal();

    JSObjectRef np = JSObjectMake(ctx, nullptr, nullptr);
    SetFunction(ctx, np, "handles", [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) {
      return JSValueMakeBoolean(c, !a.empty() && m_module.HandlesType(ToStdString(c, a[0])));
    });
    SetFunction(ctx, np, "create", [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) -> JSValueRef {
      return CreateInstance(c, a);
    });
    SetFunction(ctx, np, "destroy", [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) {
      DestroyInstance(a.empty() ? nullptr : JSValueToObject(c, a[0], nullptr));
      return JSValueMakeUndefined(c);
    });
    SetFunction(ctx, np, "isMethod", [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) {
      return JSValueMakeBoolean(c, m_session && !a.empty() && m_session->bridge.IsMethod(a[0]));
    });
    SetFunction(ctx, np, "print", [](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) {
      std::string line = a.size() > 1 ? ToStdString(c, a[1]) + "\n" : "\n";
      FILE* out = a.size() > 0 && JSValueToNumber(c, a[0], nullptr) == 2 ? stderr : stdout;
      fwrite(line.data(), 1, line.size(), out);
      fflush(out);
      return JSValueMakeUndefined(c);
    });
    SetFunction(ctx, np, "fail", [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& a, JSValueRef*) {
      Fail(a.empty() ? "uncaught error" : ToStdString(c, a[0]));
      return JSValueMakeUndefined(c);
    });
    SetProperty(ctx, np, "keys", MakeString(ctx, m_settings.keys));
    JSValueRef bootstrap = nullptr;
    if (m_session->engine.Evaluate(kPageBootstrap, "(tvbrowser)", 1, nullptr, &bootstrap)) {
      m_session->engine.Call(JSValueToObject(ctx, bootstrap, nullptr), nullptr, {np}, nullptr);
    }
  }

  static void InstallKeyEvent(JSContextRef ctx, JSObjectRef global) {
    static const std::pair<const char*, int> kKeys[] = {
        {"VK_LEFT", 37},  {"VK_UP", 38},      {"VK_RIGHT", 39},    {"VK_DOWN", 40},
        {"VK_ENTER", 13}, {"VK_BACK", 461},   {"VK_RED", 403},     {"VK_GREEN", 404},
        {"VK_YELLOW", 405}, {"VK_BLUE", 406}, {"VK_PLAY", 415},    {"VK_PAUSE", 19},
        {"VK_STOP", 413}, {"VK_FAST_FWD", 417}, {"VK_REWIND", 412}};
    JSObjectRef keys = JSObjectMake(ctx, nullptr, nullptr);
    for (const auto& key : kKeys) SetProperty(ctx, keys, key.first, JSValueMakeNumber(ctx, key.second));
    for (int digit = 0; digit <= 9; ++digit) {
      SetProperty(ctx, keys, "VK_" + std::to_string(digit), JSValueMakeNumber(ctx, 48 + digit));
    }
    SetProperty(ctx, global, "KeyEvent", keys);
  }

  void InstallTestGlobal() {
    // After the calling script returns: teardown destroys what it runs in.
    auto exit = [this](int code) { m_poster.Post([this, code] { Finish(code); }); };
    m_session->testGlobal = std::make_unique<TestGlobal>(
        m_session->engine, TestGlobal::Settings{exit, m_settings.args, m_scripted});
    m_snapshots.Install(m_session->engine.Context(), m_session->testGlobal->Object());
  }

  JSValueRef CreateInstance(JSContextRef ctx, const std::vector<JSValueRef>& a) {
    // After the run's end the page may still run until the process goes.
    if (!m_session || a.size() < 3 || !JSValueIsObject(ctx, a[0])) return JSValueMakeNull(ctx);
    JSObjectRef node = JSValueToObject(ctx, a[0], nullptr);
    auto element = std::make_unique<Element>();
    element->tag = "object";
    JSObjectRef list = JSValueToObject(ctx, a[2], nullptr);
    int count = static_cast<int>(JSValueToNumber(ctx, GetProperty(ctx, list, "length"), nullptr));
    for (int i = 0; i < count; ++i) {
      JSObjectRef pair = JSValueToObject(ctx, JSObjectGetPropertyAtIndex(ctx, list, i, nullptr), nullptr);
      element->attributes.emplace_back(ToStdString(ctx, JSObjectGetPropertyAtIndex(ctx, pair, 0, nullptr)),
                                       ToStdString(ctx, JSObjectGetPropertyAtIndex(ctx, pair, 1, nullptr)));
    }
    JSObjectRef object = m_session->instances.Create(*element, ToStdString(ctx, a[1]));
    if (object == nullptr) return JSValueMakeNull(ctx);
    JSValueProtect(ctx, node);
    m_session->elements[node] = std::move(element);
    return object;
  }

  void DestroyInstance(JSObjectRef node) {
    if (!m_session) return;
    auto it = m_session->elements.find(node);
    if (it == m_session->elements.end()) return;
    m_session->instances.Destroy(*it->second);
    // The element stays: a later access reaches the destroyed object.
  }

  // An error the page did not catch: reported, and the run ends with 1
  // once the failing script has returned.
  void Fail(const std::string& report) {
    fprintf(stderr, "%s\n", report.c_str());
    m_poster.Post([this] { Finish(kExitScriptError); });
  }

  // Ends the run once: the teardown a browser does, the leak check, then
  // the exit code to the browser process.
  void Finish(int code) {
    if (m_finished) return;
    m_finished = true;
    // The screenshot shows the elements' pictures, so before the teardown.
    if (m_settings.screenshot && m_page != nullptr) {
      webkit_web_page_send_message_to_view(
          m_page, webkit_user_message_new("plane", PlaneVariant(m_composePlane())), nullptr,
          nullptr, nullptr);
    }
    // The page's script may run on until the process goes, so its session
    // stays (its wrappers point at the bridge) with no instance left.
    if (m_session) {
      ReleaseInstances();
      m_ended = std::move(m_session);
    }
    DrainQueuedTasks();
    m_module.Shutdown();
    zor::UnregisterAllServices();
    DrainQueuedTasks();
    code = m_ledger.CheckAtExit(m_settings.checkLeaks, code);
    fflush(stdout);
    fflush(stderr);
    SendExit(code);
  }

  // Releases the browser side posted while instances went away.
  static void DrainQueuedTasks() {
    constexpr int kShutdownTaskLimit = 10000;
    for (int i = 0; i < kShutdownTaskLimit && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
  }

  void SendExit(int code) {
    if (m_page == nullptr) return;
    webkit_web_page_send_message_to_view(
        m_page, webkit_user_message_new("exit", g_variant_new_int32(code)), nullptr, nullptr,
        nullptr);
  }

  Settings m_settings;
  GlibTaskPoster m_poster;
  LeakLedger m_ledger;
  Browser m_browser;
  PluginModule m_module;
  std::string m_loadError;
  std::shared_ptr<zor::ScriptedService> m_scripted;
  std::function<std::vector<uint8_t>()> m_composePlane;
  PlaneSnapshots m_snapshots;
  WebKitWebPage* m_page = nullptr;
  std::unique_ptr<PageSession> m_session;
  std::unique_ptr<PageSession> m_ended;
  bool m_finished = false;
};

}  // namespace
}  // namespace tvbrowser

extern "C" __attribute__((visibility("default"))) void
webkit_web_extension_initialize_with_user_data(WebKitWebExtension* extension,
                                               GVariant* data) {
  // Lives as long as the web process.
  new tvbrowser::Extension(extension, tvbrowser::ReadSettings(data));
}
