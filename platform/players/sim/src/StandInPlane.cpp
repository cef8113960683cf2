#include "players/StandInPlane.h"

#include <cairo.h>

#include <algorithm>
#include <mutex>

#include "players/DisplayArea.h"

namespace players {

namespace {

// The module's play states as the connection's traffic shows them.
enum class PlayState { kNoMedia, kStopped, kPlaying, kPaused, kConnecting, kBuffering, kFinished, kError };

struct StateLook {
  const char* label;
  double red, green, blue;
};

StateLook LookOf(PlayState state) {
  switch (state) {
    case PlayState::kPlaying: return {"PLAYING", 0, 0.6, 0.2};
    case PlayState::kPaused: return {"PAUSED", 0.8, 0.6, 0};
    case PlayState::kConnecting: return {"CONNECTING", 0.2, 0.3, 0.8};
    case PlayState::kBuffering: return {"BUFFERING", 0, 0.5, 0.8};
    case PlayState::kFinished: return {"FINISHED", 0.4, 0.2, 0.6};
    case PlayState::kError: return {"ERROR", 0.8, 0, 0};
    case PlayState::kStopped:
    case PlayState::kNoMedia: break;
  }
  return {"STOPPED", 0.4, 0.4, 0.4};
}

// The player event codes the module turns into play states.
PlayState StateAfterEvent(int type, PlayState now) {
  switch (type) {
    case 1: case 2: case 3: case 4: case 6: return PlayState::kError;
    case 7: case 12: return PlayState::kPlaying;
    case 8: return PlayState::kFinished;
    case 11: case 13: return PlayState::kBuffering;
    default: return now;
  }
}

// A command the player accepted ("I..."); a refused one changes nothing.
PlayState StateAfterCommand(const std::string& command, PlayState now) {
  if (command == "InitPlayer" || command == "Stop") return PlayState::kStopped;
  if (command == "StartPlayback") return PlayState::kConnecting;
  if (command == "Pause") return PlayState::kPaused;
  if (command == "Resume") return PlayState::kPlaying;
  return now;
}

struct Window {
  PlaneRect area = FullPlane();  // where video goes until a page places it
  PlayState state = PlayState::kNoMedia;
};

void DrawWindow(cairo_t* cr, const Window& window) {
  const PlaneRect& a = window.area;
  const StateLook look = LookOf(window.state);
  cairo_save(cr);
  cairo_rectangle(cr, a.x, a.y, a.width, a.height);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, look.red, look.green, look.blue);
  cairo_paint(cr);
  // The label in the top left corner, sized to the rectangle's height.
  const double size = std::clamp(a.height / 6.0, 8.0, 48.0);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, a.x + size / 2, a.y + size * 1.5);
  cairo_show_text(cr, look.label);
  cairo_restore(cr);
}

// Cairo's RGB24 pixels are 32-bit words 0x00RRGGBB; the plane is R, G, B, x.
std::vector<uint8_t> ToRgbx(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  std::vector<uint8_t> rgbx(static_cast<size_t>(kPlaneWidth) * kPlaneHeight * 4);
  uint8_t* out = rgbx.data();
  for (int y = 0; y < kPlaneHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < kPlaneWidth; ++x, out += 4) {
      out[0] = static_cast<uint8_t>(row[x] >> 16);
      out[1] = static_cast<uint8_t>(row[x] >> 8);
      out[2] = static_cast<uint8_t>(row[x]);
      out[3] = 0xff;
    }
  }
  return rgbx;
}

}  // namespace

// Every connection's window, in the order the connections were made.
class StandInWindows {
 public:
  void Add(const std::shared_ptr<Window>& window) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows.push_back(window);
  }
  void Remove(const Window* window) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [window](const auto& w) { return w.get() == window; }),
                    m_windows.end());
  }
  template <typename Change>
  void Update(Window& window, Change change) {
    std::lock_guard<std::mutex> lock(m_mutex);
    change(window);
  }
  std::vector<Window> Snapshot() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Window> copies;
    for (const auto& window : m_windows) copies.push_back(*window);
    return copies;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<std::shared_ptr<Window>> m_windows;
};

namespace {

// Passes the player's events on, noting the play states they bring.
class WatchedEvents : public zor::EventSink {
 public:
  WatchedEvents(std::shared_ptr<zor::EventSink> events, std::shared_ptr<StandInWindows> windows,
                std::shared_ptr<Window> window)
      : m_events(std::move(events)), m_windows(std::move(windows)), m_window(std::move(window)) {}

  void Emit(int type, std::string param1, std::string param2) override {
    m_windows->Update(*m_window, [type](Window& w) { w.state = StateAfterEvent(type, w.state); });
    m_events->Emit(type, std::move(param1), std::move(param2));
  }
  bool WaitDelivered(std::chrono::milliseconds timeout) override {
    return m_events->WaitDelivered(timeout);
  }
  void EndConnection() override { m_events->EndConnection(); }

 private:
  const std::shared_ptr<zor::EventSink> m_events;
  const std::shared_ptr<StandInWindows> m_windows;
  const std::shared_ptr<Window> m_window;
};

// Passes the commands on, noting the display area and the play states of
// the ones the player accepted. The window leaves the plane with the
// connection.
class WatchedSession : public zor::ServiceSession {
 public:
  WatchedSession(std::unique_ptr<zor::ServiceSession> session,
                 std::shared_ptr<StandInWindows> windows, std::shared_ptr<Window> window)
      : m_session(std::move(session)), m_windows(std::move(windows)), m_window(std::move(window)) {
    m_windows->Add(m_window);
  }
  // Events the player's threads send until its session is gone change a
  // window no longer drawn.
  ~WatchedSession() override { m_windows->Remove(m_window.get()); }

  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    std::string result = m_session->Execute(command, params);
    if (result.empty() || result[0] != 'I') return result;
    m_windows->Update(*m_window, [&](Window& w) {
      w.state = StateAfterCommand(command, w.state);
      if (command != "SetDisplayArea") return;
      if (std::optional<PlaneRect> area = ParseDisplayArea(params)) w.area = *area;
    });
    return result;
  }

 private:
  std::unique_ptr<zor::ServiceSession> m_session;
  const std::shared_ptr<StandInWindows> m_windows;
  const std::shared_ptr<Window> m_window;
};

}  // namespace

StandInPlane::StandInPlane(std::shared_ptr<zor::Service> player)
    : m_player(std::move(player)), m_windows(std::make_shared<StandInWindows>()) {}

StandInPlane::~StandInPlane() = default;

std::unique_ptr<zor::ServiceSession> StandInPlane::Connect(
    const std::string& version, const std::string& name, std::shared_ptr<zor::EventSink> events) {
  auto window = std::make_shared<Window>();
  auto watched = std::make_shared<WatchedEvents>(std::move(events), m_windows, window);
  std::unique_ptr<zor::ServiceSession> session = m_player->Connect(version, name, watched);
  if (!session) return nullptr;
  return std::make_unique<WatchedSession>(std::move(session), m_windows, window);
}

std::vector<uint8_t> StandInPlane::Compose() const {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlaneWidth, kPlaneHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  for (const Window& window : m_windows->Snapshot()) {
    if (window.state != PlayState::kNoMedia && !window.area.Empty()) DrawWindow(cr, window);
  }
  cairo_destroy(cr);
  std::vector<uint8_t> rgbx = ToRgbx(surface);
  cairo_surface_destroy(surface);
  return rgbx;
}

}  // namespace players
