// What the machine allows: the floors the module's paths are measured
// against. A thread hand-off is the least any event from the service's
// thread to the browser's main thread can cost; an evaluate of an empty
// call the least a page can cost in JavaScriptCore.
#include <JavaScriptCore/JavaScript.h>
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Two threads pass a turn back and forth through one mutex and condition
// variable: each iteration is one round trip, two hand-offs.
void BM_FloorTwoHandOffs(benchmark::State& state) {
  std::mutex mutex;
  std::condition_variable turned;
  int turn = 0;  // even: the benchmark's thread; odd: the other
  bool done = false;
  std::thread other([&] {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
      turned.wait(lock, [&] { return done || turn % 2 == 1; });
      if (done) return;
      ++turn;
      turned.notify_one();
    }
  });
  for (auto _ : state) {
    std::unique_lock<std::mutex> lock(mutex);
    ++turn;
    turned.notify_one();
    turned.wait(lock, [&] { return turn % 2 == 0; });
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  turned.notify_one();
  other.join();
}
BENCHMARK(BM_FloorTwoHandOffs)->UseRealTime();

void BM_FloorEmptyEvaluate(benchmark::State& state) {
  JSGlobalContextRef context = JSGlobalContextCreate(nullptr);
  JSStringRef define = JSStringCreateWithUTF8CString("function f() {}");
  JSEvaluateScript(context, define, nullptr, nullptr, 1, nullptr);
  JSStringRelease(define);
  JSStringRef call = JSStringCreateWithUTF8CString("f();");
  for (auto _ : state) {
    benchmark::DoNotOptimize(JSEvaluateScript(context, call, nullptr, nullptr, 1, nullptr));
  }
  JSStringRelease(call);
  JSGlobalContextRelease(context);
}
BENCHMARK(BM_FloorEmptyEvaluate)->UseRealTime();

}  // namespace
