#include "Host.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "Browser.h"
#include "Document.h"
#include "LeakLedger.h"
#include "LogHook.h"
#include "MainLoop.h"
#include "ModuleCalls.h"
#include "PageGlobals.h"
#include "PageLoader.h"
#include "PlaneSnapshots.h"
#include "PluginInstances.h"
#include "PluginModule.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"
#include "TestGlobal.h"
#include "Watchdog.h"
#include "players/GstPlayerService.h"
#include "players/SimPlayer.h"
#include "players/VideoService.h"
#include "zor/ScriptedService.h"

namespace tvhost {

using namespace npbrowser;

namespace {

constexpr char kModuleFile[] = "libRuvoAVObjectPlugin.so";
constexpr size_t kShutdownTaskLimit = 100000;
constexpr std::chrono::seconds kWatchdogGrace{10};
// Longer timeouts are as good as none, and would overflow the clock's
// nanoseconds in the deadlines.
constexpr double kLongestTimeoutSeconds = 30 * 24 * 3600;

std::chrono::milliseconds ClampedMilliseconds(double seconds) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::duration<double>(std::min(seconds, kLongestTimeoutSeconds)));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

int LoadFailure(const std::string& what) {
  fprintf(stderr, "tvhost: %s\n", what.c_str());
  return kExitLoadError;
}

// What the watchdog says: the main thread never came back to the loop, and
// where it is in the module, if it is.
std::string NeverReturned() {
  std::string call = CurrentModuleCall();
  return "tvhost: timed out; the page's script does not return (" +
         (call.empty() ? std::string("not in a module call") : "in the module: " + call) + ")";
}

}  // namespace

// Everything that lives only as long as the page. Members go in reverse
// order: the script context last.
struct Host::Session {
  Session(Host& host, MainLoop& loop, Browser& browser, PluginModule& module,
          const std::shared_ptr<zor::ScriptedService>& scripted,
          PlaneSnapshots::Writer plane)
      : bridge(engine, browser, host.m_options.numbers),
        globals(bridge, loop, document, {host.m_options.widgetWidth, host.m_options.widgetHeight}),
        testGlobal(engine, {[&host, &loop](int code) { host.Finish(loop, code); },
                            host.m_options.pageArgs, scripted}),
        snapshots(std::move(plane), host.m_options.snapshotDir),
        instances(module, browser, bridge) {
    snapshots.Install(engine.Context(), testGlobal.Object());
    engine.SetUncaughtHandler([&host, &loop](const std::string& report) {
      fprintf(stderr, "tvhost: uncaught error: %s\n", report.c_str());
      host.Finish(loop, kExitScriptError);
    });
  }

  ScriptEngine engine;
  ScriptBridge bridge;
  Document document;
  PageGlobals globals;
  TestGlobal testGlobal;
  PlaneSnapshots snapshots;
  PluginInstances instances;
};

double Host::TimeoutSeconds() const {
  return std::min(m_options.timeoutSeconds, kLongestTimeoutSeconds);
}

std::string Host::PluginPath() const {
  if (!m_options.pluginPath.empty()) return m_options.pluginPath;
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string self = length > 0 ? std::string(path, static_cast<size_t>(length)) : "";
  size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string("./") : self.substr(0, slash + 1)) +
         kModuleFile;
}

void Host::Finish(MainLoop& loop, int code) {
  if (!m_finished) {
    m_finished = true;
    m_exitCode = code;
  }
  loop.Stop();
}

void Host::RunPage(MainLoop& loop, Session& session, const std::string& html) {
  auto deadline = MainLoop::Clock::now() +
                  std::chrono::duration_cast<MainLoop::Clock::duration>(
                      std::chrono::duration<double>(TimeoutSeconds()));
  PageLoader loader(
      session.document, session.engine,
      [this, &session](const Element& object) {
        const std::string* type = object.Attribute("type");
        if (type == nullptr || !m_module->HandlesType(Lower(*type))) return;
        JSObjectRef script = session.instances.Create(object, Lower(*type));
        if (script != nullptr) session.globals.SetElementObject(&object, script);
      },
      [this] { return m_finished; });
  std::string error;
  if (!loader.Load(m_options.pagePath, html, &error)) {
    fprintf(stderr, "tvhost: %s\n", error.c_str());
    Finish(loop, kExitLoadError);
    return;
  }
  if (!m_finished) session.globals.FireLoad();
  if (!m_finished && loop.Run(deadline) == MainLoop::RunResult::kTimedOut) {
    fprintf(stderr, "tvhost: timed out after %g seconds\n", m_options.timeoutSeconds);
    Finish(loop, kExitTimeout);
  }
}

int Host::Run() {
  SetModuleLogLevel(m_options.logLevel);
  Watchdog watchdog(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::duration<double>(TimeoutSeconds()) + kWatchdogGrace),
                    NeverReturned, kExitTimeout);
  std::string html;
  std::string error;
  if (!ReadFile(m_options.pagePath, &html, &error)) {
    return LoadFailure("cannot load page " + m_options.pagePath + ": " + error);
  }
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  browser.SetAppIdentity(m_options.appId, m_options.appName);
  PluginModule module;
  m_module = &module;
  std::string path = PluginPath();
  if (!module.Load(path, &error) || !module.Initialize(browser.Funcs(), &error)) {
    return LoadFailure("cannot load module " + path + ": " + error);
  }

  if (!m_options.snapshotDir.empty()) {
    std::error_code failure;
    std::filesystem::create_directories(m_options.snapshotDir, failure);
    if (!std::filesystem::is_directory(m_options.snapshotDir)) {
      return LoadFailure("cannot make snapshot folder " + m_options.snapshotDir +
                         (failure ? ": " + failure.message() : std::string()));
    }
  }

  zor::SetCommandTimeout(std::chrono::milliseconds(m_options.serviceTimeoutMs));
  std::shared_ptr<zor::ScriptedService> scripted;
  PlaneSnapshots::Writer plane;
  switch (m_options.player) {
    case PlayerKind::kScripted:
      scripted = std::make_shared<zor::ScriptedService>();
      zor::RegisterService("Player", scripted);
      break;
    case PlayerKind::kSim:
      zor::RegisterService("Player", std::make_shared<players::SimPlayerService>(players::SimPlayerSettings{
                                         m_options.mediaDurationSeconds, m_options.timeScale}));
      break;
    case PlayerKind::kGst: {
      // Frames go to the plane, seen in snapshots and, on request, in a
      // window.
      players::GstPlayerSettings settings;
      settings.stallTimeout = ClampedMilliseconds(m_options.stallTimeoutSeconds);
      settings.planeSink = players::PlaneSink::kVideoPlane;
      auto gst = std::make_shared<players::GstPlayerService>(settings);
      if (m_options.videoWindow && !gst->ShowPlaneInWindow(&error)) {
        return LoadFailure("cannot show the video plane: " + error);
      }
      zor::RegisterService("Player", gst);
      plane = [gst](const std::string& path) { return gst->WritePlanePng(path); };
      break;
    }
  }
  zor::RegisterService("Video", std::make_shared<players::VideoService>(m_options.osdResolution));

  auto session = std::make_unique<Session>(*this, loop, browser, module, scripted, plane);
  browser.SetBridge(&session->bridge);
  RunPage(loop, *session, html);
  // Before any teardown: the elements' pictures are still on the plane.
  if (!m_options.planeSnapshotPath.empty() &&
      !session->snapshots.Write(m_options.planeSnapshotPath)) {
    fprintf(stderr, "tvhost: cannot write the plane to %s\n",
            m_options.planeSnapshotPath.c_str());
    if (m_exitCode == 0) m_exitCode = kExitLoadError;
  }

  // Teardown as a browser does it: no more timers, every instance
  // destroyed (their queued calls are dropped), script's references to the
  // module's objects released, then the module shut down.
  session->globals.CancelTimers();
  session->instances.DestroyAll();
  session->bridge.ReleaseWrappedObjects();
  loop.RunQueued(kShutdownTaskLimit);
  module.Shutdown();
  zor::UnregisterAllServices();
  browser.SetBridge(nullptr);
  session.reset();
  loop.RunQueued(kShutdownTaskLimit);

  m_exitCode = ledger.CheckAtExit(m_options.checkLeaks, m_exitCode);
  m_module = nullptr;
  return m_exitCode;
}

}  // namespace tvhost
