// What the player's tests talk HTTP to, all on 127.0.0.1: a file server,
// a host that accepts connections and never answers, and a closed port.
#ifndef TESTS_PLAYERS_GST_TESTSERVERS_H
#define TESTS_PLAYERS_GST_TESTSERVERS_H

#include <glib.h>

#include <chrono>
#include <string>
#include <thread>

namespace playertest {

// Serves the files under `root` (404 for anything else) from a thread of
// its own, on a free port.
class FileServer {
 public:
  explicit FileServer(std::string root);
  ~FileServer();
  FileServer(const FileServer&) = delete;
  FileServer& operator=(const FileServer&) = delete;

  bool Listening() const { return m_port > 0; }
  std::string Url(const std::string& path) const;

 private:
  void Run();

  const std::string m_root;
  GMainContext* const m_context;
  GMainLoop* const m_loop;
  int m_port = 0;
  std::thread m_thread;
};

// A listening socket whose connections are never accepted: the kernel
// completes them and takes the request, and no answer ever comes.
class StalledHost {
 public:
  StalledHost();
  ~StalledHost();
  StalledHost(const StalledHost&) = delete;
  StalledHost& operator=(const StalledHost&) = delete;
  std::string Url(const std::string& path) const;
  // Whether a client got connected within `timeout`: its connection then
  // waits in the queue, never taken and never answered.
  bool WaitForCaller(std::chrono::milliseconds timeout) const;

 private:
  int m_socket = -1;
  int m_port = 0;
};

// A loopback port nothing listens on: connections to it are refused.
int ClosedPort();

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_TESTSERVERS_H
