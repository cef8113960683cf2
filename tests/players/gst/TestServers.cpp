#include "TestServers.h"

#include <arpa/inet.h>
#include <libsoup/soup.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>

namespace playertest {

namespace {

const char* ContentType(const std::string& path) {
  auto endsWith = [&path](const std::string& tail) {
    return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith(".m3u8")) return "application/vnd.apple.mpegurl";
  if (endsWith(".mpd")) return "application/dash+xml";
  if (endsWith(".mp4")) return "video/mp4";
  if (endsWith(".ts")) return "video/mp2t";
  return "application/octet-stream";
}

void ServeFile(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*,
               gpointer root) {
  const std::string relative = path != nullptr ? path : "";
  gchar* contents = nullptr;
  gsize length = 0;
  const std::string file = *static_cast<const std::string*>(root) + relative;
  if (relative.find("..") != std::string::npos ||
      !g_file_get_contents(file.c_str(), &contents, &length, nullptr)) {
    soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
    return;
  }
  soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
  soup_server_message_set_response(message, ContentType(relative), SOUP_MEMORY_TAKE, contents,
                                   length);
}

// A socket bound to a free loopback port; -1 on failure.
int BoundSocket(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

std::string LoopbackUrl(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace

FileServer::FileServer(std::string root)
    : m_root(std::move(root)),
      m_context(g_main_context_new()),
      m_loop(g_main_loop_new(m_context, FALSE)) {
  std::promise<int> port;
  std::future<int> listening = port.get_future();
  m_thread = std::thread([this, &port] {
    g_main_context_push_thread_default(m_context);
    SoupServer* server = soup_server_new("server-header", "player-test", nullptr);
    soup_server_add_handler(server, nullptr, &ServeFile, const_cast<std::string*>(&m_root), nullptr);
    int bound = 0;
    if (soup_server_listen_local(server, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr)) {
      GSList* uris = soup_server_get_uris(server);
      if (uris != nullptr) bound = g_uri_get_port(static_cast<GUri*>(uris->data));
      g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    }
    port.set_value(bound);
    if (bound > 0) g_main_loop_run(m_loop);
    soup_server_disconnect(server);
    g_object_unref(server);
    // Closed connections are released from the loop: let it finish that.
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    g_main_context_pop_thread_default(m_context);
  });
  m_port = listening.get();
}

FileServer::~FileServer() {
  GSource* quit = g_idle_source_new();
  g_source_set_callback(
      quit, [](gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); return G_SOURCE_REMOVE; },
      m_loop, nullptr);
  g_source_attach(quit, m_context);
  g_source_unref(quit);
  m_thread.join();
  g_main_loop_unref(m_loop);
  g_main_context_unref(m_context);
}

std::string FileServer::Url(const std::string& path) const { return LoopbackUrl(m_port, path); }

StalledHost::StalledHost() {
  m_socket = BoundSocket(&m_port);
  if (m_socket >= 0 && listen(m_socket, 16) != 0) {
    close(m_socket);
    m_socket = -1;
  }
}

StalledHost::~StalledHost() {
  if (m_socket >= 0) close(m_socket);
}

std::string StalledHost::Url(const std::string& path) const { return LoopbackUrl(m_port, path); }

bool StalledHost::WaitForCaller(std::chrono::milliseconds timeout) const {
  // A listening socket reads as readable while a connection is queued.
  pollfd waiting{m_socket, POLLIN, 0};
  return m_socket >= 0 && poll(&waiting, 1, static_cast<int>(timeout.count())) == 1;
}

int ClosedPort() {
  int port = 0;
  const int fd = BoundSocket(&port);
  if (fd < 0) return 0;
  close(fd);
  return port;
}

}  // namespace playertest
