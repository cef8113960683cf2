// The TV's screen in the browser process: the page, drawn with a
// transparent background, over the 1920 x 1080 video plane the web process
// sends (see PlaneMessages.h). In the window the plane is drawn under the
// web view, scaled to the widget; screenshots are written at the plane's
// size, the page scaled up to it by the widget ratio as the TV scales its
// browser onto the panel.
#ifndef TVBROWSER_SCREEN_H
#define TVBROWSER_SCREEN_H

#include <cairo.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <string>

namespace tvbrowser {

class Screen {
 public:
  explicit Screen(WebKitWebView* view);
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // The drawing of the plane to put under the web view.
  GtkWidget* PlaneArea() const { return m_planeArea; }

  // Takes the plane the web process sent, an "ay" of RGBx rows.
  void SetPlane(GVariant* rgbx);
  // Asks the web process for the plane every `milliseconds` while the
  // window shows, so that the video moves.
  void Follow(unsigned milliseconds);
  // Asks the web process for the plane now; `done` runs once it came or
  // could not come.
  void RefreshPlane(std::function<void()> done);

  // Writes the page over `rgbx` (or, when null, over the latest plane) to
  // a PNG file at `path` once WebKit has drawn the page. Failures are
  // reported on standard error.
  void Write(const std::string& path, GVariant* rgbx);
  // Runs `done` once every write asked for so far has ended: at once when
  // none is pending.
  void WhenWritten(std::function<void()> done);
  bool AllWritten() const { return m_failures == 0; }

 private:
  struct PendingWrite;
  static void OnSnapshot(GObject* view, GAsyncResult* result, gpointer data);
  void Compose(cairo_surface_t* page, const PendingWrite& write);
  void WriteEnded();

  WebKitWebView* const m_view;
  GtkWidget* const m_planeArea;
  cairo_surface_t* m_plane;
  int m_pending = 0;
  int m_failures = 0;
  bool m_refreshing = false;
  std::function<void()> m_whenWritten;
};

}  // namespace tvbrowser

#endif  // TVBROWSER_SCREEN_H
