#include "TestServers.h"

#include <gio/gio.h>

namespace playertest {

namespace {

// The types a web server sends for the streams' files, as the player meets
// them on the network.
const char* ContentType(const std::string& path) {
  const auto endsWith = [&path](const std::string& tail) {
    return path.size() >= tail.size() &&
           path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith(".m3u8")) return "application/vnd.apple.mpegurl";
  if (endsWith(".mpd")) return "application/dash+xml";
  if (endsWith(".mp4")) return "video/mp4";
  if (endsWith(".ts")) return "video/mp2t";
  return "application/octet-stream";
}

}  // namespace

FileServer::FileServer(std::string root)
    : m_root(std::move(root)),
      m_context(g_main_context_new()),
      m_loop(g_main_loop_new(m_context, FALSE)) {
  // The server's sources go to the context its thread runs.
  g_main_context_push_thread_default(m_context);
  m_server = soup_server_new("server-header", "player-test", nullptr);
  soup_server_add_handler(m_server, nullptr, &FileServer::Serve, this, nullptr);
  if (soup_server_listen_local(m_server, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr)) {
    GSList* uris = soup_server_get_uris(m_server);
    m_port = g_uri_get_port(static_cast<GUri*>(uris->data));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
  }
  g_main_context_pop_thread_default(m_context);
  m_thread = std::thread([this] {
    g_main_context_push_thread_default(m_context);
    g_main_loop_run(m_loop);
    soup_server_disconnect(m_server);
    g_object_unref(m_server);
    // Closed connections are released from the loop: let it finish that.
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    g_main_context_pop_thread_default(m_context);
  });
}

FileServer::~FileServer() {
  // Quitting from the loop's own thread: a quit before the loop runs would be lost.
  GSource* quit = g_idle_source_new();
  g_source_set_callback(
      quit,
      [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      m_loop, nullptr);
  g_source_attach(quit, m_context);
  g_source_unref(quit);
  m_thread.join();
  g_main_loop_unref(m_loop);
  g_main_context_unref(m_context);
}

void FileServer::Serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*,
                       gpointer self) {
  auto* server = static_cast<FileServer*>(self);
  const std::string relative = path != nullptr ? path : "";
  if (relative.rfind("/stalled/", 0) == 0) {
    soup_server_message_pause(message);  // never unpaused: no answer comes
    if (!server->m_stalled.exchange(true)) server->m_firstStalled.set_value();
    return;
  }
  gchar* contents = nullptr;
  gsize length = 0;
  const std::string file = server->m_root + relative;
  if (relative.find("..") != std::string::npos ||
      !g_file_get_contents(file.c_str(), &contents, &length, nullptr)) {
    soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
    return;
  }
  soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
  soup_server_message_set_response(message, ContentType(relative), SOUP_MEMORY_TAKE, contents,
                                   length);
}

std::string FileServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

int ClosedPort() {
  GSocketListener* listener = g_socket_listener_new();
  const int port = g_socket_listener_add_any_inet_port(listener, nullptr, nullptr);
  g_socket_listener_close(listener);
  g_object_unref(listener);
  return port;
}

}  // namespace playertest
