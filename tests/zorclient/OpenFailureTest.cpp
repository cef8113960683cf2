// Open when resources run out: every allocation Open makes, in the library
// and in the service it connects to, is made to fail in turn.
//
// This program links the replacement allocation functions of
// FailingAllocations.cpp.
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <new>
#include <string>

#include "FailingAllocations.h"
#include "TestClients.h"

namespace zortest {
namespace {

// Makes the `n`th allocation on this thread from now fail, for one scope.
class AllocationFailure {
 public:
  explicit AllocationFailure(int n) { testbrowser::FailNthAllocation(n); }
  ~AllocationFailure() { testbrowser::FailNthAllocation(0); }
};

// Runs `step` on a thread of its own and returns what it returned. A step
// that does not end within the bound has hung; the program ends there, as
// no case can continue after it.
template <typename Step>
auto WithinBound(const char* what, long n, Step step) {
  auto done = std::async(std::launch::async, std::move(step));
  if (done.wait_for(10s) != std::future_status::ready) {
    std::fprintf(stderr, "%s hung when allocation %ld of Open failed\n", what, n);
    std::abort();
  }
  return done.get();
}

struct OpenResult {
  bool failed;  // the armed allocation was reached
  bool threw;   // std::bad_alloc reached the caller
  int opened;
};

// Opens `client` with its `n`th allocation failing.
OpenResult OpenFailingAt(long n, RecordingClient& client) {
  return WithinBound("Open", n, [n, &client] {
    OpenResult result{false, false, 0};
    AllocationFailure failure(static_cast<int>(n));
    try {
      result.opened = client.Open("Player", "1.000", "Player");
    } catch (const std::bad_alloc&) {
      result.threw = true;
    }
    result.failed = !testbrowser::AllocationFailurePending();
    return result;
  });
}

// For n = 1, 2, ... the nth allocation of Open fails, until Open makes fewer
// than n. Every failure leaves Open throwing std::bad_alloc and the client
// closed: commands answer "E", the service's session is gone, events are
// dropped, and the client goes without waiting on a delivery thread that
// never started. A fresh client then opens and gets events as usual.
TEST_F(ZorClientTest, OpenThatRunsOutOfMemoryLeavesTheClientClosed) {
  long failures = 0;
  for (long n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
    ASSERT_LT(n, 1000) << "Open never succeeded";
    auto service = std::make_shared<zor::ScriptedService>();
    zor::RegisterService("Player", service);
    auto client = std::make_unique<RecordingClient>();
    const OpenResult result = OpenFailingAt(n, *client);
    if (!result.failed) {
      EXPECT_FALSE(result.threw);
      EXPECT_EQ(result.opened, 1);
      break;
    }
    ++failures;
    ASSERT_TRUE(result.threw) << "Open returned " << result.opened << " instead of throwing";

    EXPECT_EQ(client->Execute("Play", "", "", "", ""), "E");
    for (size_t i = 0; i < service->ConnectionCount(); ++i) {
      auto connection = service->Connection(i);
      EXPECT_FALSE(connection->IsOpen());
      EXPECT_TRUE(connection->Received().empty());
      connection->Emit(1, "", "");
      EXPECT_TRUE(connection->WaitDelivered());
    }
    WithinBound("Close", n, [&client] { client->Close(); });
    WithinBound("Destroying the client", n, [&client] { client.reset(); });

    RecordingClient fresh;
    ASSERT_EQ(OpenPlayer(fresh), 1);
    auto connection = service->Connection(service->ConnectionCount() - 1);
    connection->Emit(2, "", "");
    ASSERT_TRUE(connection->WaitDelivered());
    EXPECT_EQ(fresh.Types(), std::vector<int>{2});
    WithinBound("Closing a fresh client", n, [&fresh] { fresh.Close(); });
    EXPECT_FALSE(connection->IsOpen());
  }
  // At least the delivery, the service's session and the delivery thread.
  EXPECT_GE(failures, 3);
}

}  // namespace
}  // namespace zortest
