// What the player's tests talk HTTP to, all on 127.0.0.1: a file server
// that also stalls the requests under /stalled/, and a closed port.
#ifndef TESTS_PLAYERS_GST_TESTSERVERS_H
#define TESTS_PLAYERS_GST_TESTSERVERS_H

#include <libsoup/soup.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace playertest {

// Serves the files under `root` (404 for anything else) from a thread of
// its own, on a free port. A request under /stalled/ is taken and never
// answered.
class FileServer {
 public:
  explicit FileServer(std::string root);
  ~FileServer();
  FileServer(const FileServer&) = delete;
  FileServer& operator=(const FileServer&) = delete;

  bool Listening() const { return m_port > 0; }
  std::string Url(const std::string& path) const;
  // Whether a request under /stalled/ came within `timeout`.
  bool WaitForStalled(std::chrono::milliseconds timeout) const {
    return m_stalledSeen.wait_for(timeout) == std::future_status::ready;
  }

 private:
  static void Serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*,
                    gpointer self);

  const std::string m_root;
  GMainContext* const m_context;
  GMainLoop* const m_loop;
  SoupServer* m_server = nullptr;
  int m_port = 0;
  std::atomic<bool> m_stalled{false};
  std::promise<void> m_firstStalled;
  const std::future<void> m_stalledSeen = m_firstStalled.get_future();
  std::thread m_thread;
};

// A loopback port nothing listens on: connections to it are refused.
int ClosedPort();

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_TESTSERVERS_H
