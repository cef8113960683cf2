// libZorClient under any order of open, close, execute and emit, from two
// threads: no event reaches the client after the Close (or the re-Open)
// that ended its connection returned, none twice, none out of order.
//
// Input: each byte is one step; even bytes go to the first thread, which
// opens, closes, executes and emits; odd bytes to the second, which
// executes and emits. Each event carries its connection and its number on
// that connection.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FuzzCheck.h"
#include "zor/ScriptedService.h"
#include "zor/ZorPluginWrapper.h"

namespace {

constexpr size_t kMaxConnections = 64;

class CheckingClient : public zor::CZorPluginWrapper {
 public:
  CheckingClient() : CZorPluginWrapper(zor::CClientAppFactory::ZOR_CLIENT_TYPE) {}
  ~CheckingClient() override { Close(); }

  int OnEvent(int, std::string connection, std::string number) override {
    const size_t index = std::stoul(connection);
    const int value = std::stoi(number);
    // A library that mixed up events' texts must fail here, not index past
    // the tables.
    FUZZ_CHECK(index < kMaxConnections, "event %d of an unknown connection %zu", value, index);
    FUZZ_CHECK(!m_ended[index], "event %d of connection %zu after its close", value, index);
    FUZZ_CHECK(value >= m_next[index], "event %d of connection %zu after %d", value, index,
               m_next[index] - 1);
    m_next[index] = value + 1;
    return 1;
  }
  // The first thread alone opens and closes, so it knows which connection
  // each of its calls ended.
  void MarkEnded(size_t index) { m_ended[index] = true; }

 private:
  // Zeroed: a connection's first event is number 0, and none has ended.
  std::array<std::atomic<int>, kMaxConnections> m_next{};
  std::array<std::atomic<bool>, kMaxConnections> m_ended{};
};

struct Run {
  std::shared_ptr<zor::ScriptedService> service = std::make_shared<zor::ScriptedService>();
  CheckingClient client;
  std::mutex emitMutex;  // numbers leave in the order they are taken
  std::array<int, kMaxConnections> emitted{};

  void Emit(uint8_t step) {
    std::lock_guard<std::mutex> lock(emitMutex);
    const size_t count = service->ConnectionCount();
    if (count == 0) return;
    const size_t index = count - 1 - step % count;  // 0: the newest
    service->Connection(index)->Emit(1, std::to_string(index), std::to_string(emitted[index]++));
  }
  void Execute(uint8_t step) {
    const std::string result = client.Execute("Command", std::to_string(step), "", "", "");
    FUZZ_CHECK(result == "I1" || result == "E", "answer %s", result.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Run run;
  zor::RegisterService("Service", run.service);
  std::thread second([&] {
    for (size_t i = 1; i < size; i += 2) {
      if (data[i] & 1) run.Emit(data[i] >> 1); else run.Execute(data[i]);
    }
  });
  bool open = false;
  size_t current = 0;
  for (size_t i = 0; i < size; i += 2) {
    switch (data[i] % 4) {
      case 0:
        if (run.service->ConnectionCount() + 1 >= kMaxConnections) break;
        {
          // Opening again ends the connection that was open, even on failure.
          const bool opened = run.client.Open("Service", "1.000", "Client") != 0;
          if (open) run.client.MarkEnded(current);
          open = opened;
          current = run.service->ConnectionCount() - 1;
        }
        break;
      case 1:
        run.client.Close();
        if (open) run.client.MarkEnded(current);
        open = false;
        break;
      case 2: run.Execute(data[i]); break;
      case 3: run.Emit(data[i] >> 2); break;
    }
  }
  second.join();
  run.client.Close();
  zor::UnregisterAllServices();
  return 0;
}
