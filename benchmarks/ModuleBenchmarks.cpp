// The module's hot paths: reading results, building a named-callback
// script, and a player event travelling to page script.
//   build/default/benchmarks/module_benchmarks
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestBrowser.h"
#include "avobject/plRuvoAVObject.h"
#include "service/AsyncDelivery.h"
#include "DirectService.h"

namespace {

using namespace NSPlRuvoAVObject;

void BM_GetInteger(benchmark::State& state) {
  std::string result = "I123456";
  int value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CZorBase::GetInteger(result, &value));
  }
}
BENCHMARK(BM_GetInteger);

void BM_BuildCallScript(benchmark::State& state) {
  const std::string position = "1234567";
  const std::string detail = "a \"quoted\" detail\n";
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildCallScript("onUpdateProgress", position, detail));
  }
}
BENCHMARK(BM_BuildCallScript);

// One progress event from the service's thread to a registered function:
// the library's delivery thread takes it (one hand-off), and the main
// thread learns it was queued (a second) and runs the call.
void BM_ProgressEventToPage(benchmark::State& state) {
  testbrowser::TestBrowser browser;
  browser.InstallIntoModule();
  // The test program's hook would keep every message: measured without.
  testbrowser::SetLogHookInstalled(false);
  auto player = std::make_shared<DirectService>();
  zor::RegisterService("Player", player);
  NPP_t npp{};
  {
    CPlRuvoAVObject av;
    av.mnpInstance = &npp;
    NPObject* onProgress = browser.CreateFunction();
    av.SetonUpdateProgress(nullptr, nullptr, onProgress);
    for (auto _ : state) {
      player->sink->Emit(14, "5000", "");
      player->sink->WaitDelivered(std::chrono::seconds(5));
      browser.RunPendingAsyncCalls();
    }
    browser.Table().releaseobject(onProgress);
  }
  zor::UnregisterAllServices();
}
BENCHMARK(BM_ProgressEventToPage)->UseRealTime();

}  // namespace
