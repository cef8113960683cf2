// The module's paths that the ratio table compares with their floors: a
// command through libZorClient and back, an instance created and destroyed
// through the built module, and a page loaded and run to its first callback
// in tvhost. (A service event to a page function is in ModuleBenchmarks.)
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "DirectService.h"
#include "TestBrowser.h"
#include "npfunctions.h"
#include "zor/ScriptedService.h"
#include "zor/ZorPluginWrapper.h"

extern char** environ;

namespace {

void BM_CommandRoundTrip(benchmark::State& state) {
  zor::RegisterService("Player", std::make_shared<zor::ScriptedService>());
  zor::CZorPluginWrapper client(zor::CClientAppFactory::ZOR_CLIENT_TYPE);
  if (client.Open("Player", "1.000", "Player") == 0) state.SkipWithError("no service");
  for (auto _ : state) {
    benchmark::DoNotOptimize(client.Execute("GetPlayTime", "", "", "", ""));
  }
  client.Close();
  zor::UnregisterAllServices();
}
BENCHMARK(BM_CommandRoundTrip)->UseRealTime();

void BM_InstanceCreateDestroy(benchmark::State& state) {
  testbrowser::TestBrowser browser;
  void* module = dlopen(RUVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  auto initialize = module ? reinterpret_cast<NP_InitializeFunc>(dlsym(module, "NP_Initialize"))
                           : nullptr;
  NPPluginFuncs plugin{};
  if (initialize == nullptr || initialize(&browser.Table(), &plugin) != NPERR_NO_ERROR) {
    state.SkipWithError("the module does not load");
    return;
  }
  // The scripted service would add a worker thread of its own per
  // connection; these add nothing to what the module and library do.
  zor::RegisterService("Player", std::make_shared<DirectService>());
  zor::RegisterService("Video", std::make_shared<DirectService>());
  char mimeType[] = "application/x-ruvo-avobject";
  char name[] = "style", value[] = "left:10px;top:20px;width:640px;height:360px";
  char* names[] = {name};
  char* values[] = {value};
  for (auto _ : state) {
    NPP_t npp{};
    plugin.newp(mimeType, &npp, NP_EMBED, 1, names, values, nullptr);
    plugin.destroy(&npp, nullptr);
    browser.InstanceDestroyed(&npp);
    browser.RunPendingAsyncCalls();
  }
  zor::UnregisterAllServices();
}
BENCHMARK(BM_InstanceCreateDestroy)->UseRealTime();

// tvhost as a process: start, page parse, module load, one element, play,
// the first onPlayStateChange, exit.
void BM_PageToFirstCallback(benchmark::State& state) {
  const std::string page = "/tmp/ruvo-bench-first-callback-" + std::to_string(getpid()) + ".html";
  std::ofstream(page) << "<object id=\"av\" type=\"application/x-ruvo-avobject\" "
                         "data=\"http://media.example/a.ts\"></object>\n<script>\n"
                         "var av = document.getElementById(\"av\");\n"
                         "av.onPlayStateChange = function () { tvhost.exit(0); };\n"
                         "av.play(1);\n</script>\n";
  char program[] = RUVO_TVHOST_PATH;
  char* argv[] = {program, const_cast<char*>(page.c_str()), nullptr};
  for (auto _ : state) {
    pid_t child = 0;
    int status = -1;
    if (posix_spawn(&child, program, nullptr, nullptr, argv, environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("tvhost did not reach the callback");
      break;
    }
  }
  std::remove(page.c_str());
}
BENCHMARK(BM_PageToFirstCallback)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
