#include "Screen.h"

#include <cstdio>
#include <utility>

#include "PlaneMessages.h"

namespace tvbrowser {

namespace {

cairo_surface_t* BlackPlane() {
  cairo_surface_t* plane = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlaneWidth, kPlaneHeight);
  cairo_t* cr = cairo_create(plane);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return plane;
}

// The players' R, G, B, x bytes as cairo's 32-bit 0x00RRGGBB words; null
// when the size is not the plane's.
cairo_surface_t* PlaneSurface(GVariant* rgbx) {
  gsize size = 0;
  const auto* bytes = static_cast<const uint8_t*>(g_variant_get_fixed_array(rgbx, &size, 1));
  if (size != static_cast<gsize>(kPlaneWidth) * kPlaneHeight * 4) return nullptr;
  cairo_surface_t* plane = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlaneWidth, kPlaneHeight);
  cairo_surface_flush(plane);
  const int stride = cairo_image_surface_get_stride(plane);
  uint8_t* data = cairo_image_surface_get_data(plane);
  for (int y = 0; y < kPlaneHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < kPlaneWidth; ++x, bytes += 4) {
      row[x] = uint32_t{bytes[0]} << 16 | uint32_t{bytes[1]} << 8 | bytes[2];
    }
  }
  cairo_surface_mark_dirty(plane);
  return plane;
}

// Paints `plane` filling `width` x `height` of `cr`.
void PaintScaled(cairo_t* cr, cairo_surface_t* surface, double width, double height) {
  cairo_save(cr);
  cairo_scale(cr, width / cairo_image_surface_get_width(surface),
              height / cairo_image_surface_get_height(surface));
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

struct Screen::PendingWrite {
  Screen* screen;
  std::string path;
  cairo_surface_t* plane;  // referenced
};

Screen::Screen(WebKitWebView* view)
    : m_view(view), m_planeArea(gtk_drawing_area_new()), m_plane(BlackPlane()) {
  g_signal_connect(m_planeArea, "draw", G_CALLBACK(+[](GtkWidget* area, cairo_t* cr, Screen* self) {
                     PaintScaled(cr, self->m_plane, gtk_widget_get_allocated_width(area),
                                 gtk_widget_get_allocated_height(area));
                     return FALSE;
                   }),
                   this);
}

Screen::~Screen() { cairo_surface_destroy(m_plane); }

void Screen::SetPlane(GVariant* rgbx) {
  cairo_surface_t* plane = PlaneSurface(rgbx);
  if (plane == nullptr) return;
  cairo_surface_destroy(m_plane);
  m_plane = plane;
  gtk_widget_queue_draw(m_planeArea);
}

void Screen::RefreshPlane(std::function<void()> done) {
  auto* pending = new std::pair<Screen*, std::function<void()>>(this, std::move(done));
  webkit_web_view_send_message_to_page(
      m_view, webkit_user_message_new("plane", nullptr), nullptr,
      [](GObject* view, GAsyncResult* result, gpointer data) {
        auto* p = static_cast<std::pair<Screen*, std::function<void()>>*>(data);
        WebKitUserMessage* reply =
            webkit_web_view_send_message_to_page_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
        if (reply != nullptr) {
          p->first->SetPlane(webkit_user_message_get_parameters(reply));
          g_object_unref(reply);
        }
        if (p->second) p->second();
        delete p;
      },
      pending);
}

void Screen::Follow(unsigned milliseconds) {
  g_timeout_add(milliseconds, +[](gpointer data) -> gboolean {
    auto* self = static_cast<Screen*>(data);
    // One question at a time: a busy page answers late.
    if (!self->m_refreshing) {
      self->m_refreshing = true;
      self->RefreshPlane([self] { self->m_refreshing = false; });
    }
    return G_SOURCE_CONTINUE;
  }, this);
}

void Screen::Write(const std::string& path, GVariant* rgbx) {
  cairo_surface_t* plane = rgbx != nullptr ? PlaneSurface(rgbx) : nullptr;
  if (plane == nullptr) plane = cairo_surface_reference(m_plane);
  ++m_pending;
  webkit_web_view_get_snapshot(m_view, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                               WEBKIT_SNAPSHOT_OPTIONS_TRANSPARENT_BACKGROUND, nullptr, OnSnapshot,
                               new PendingWrite{this, path, plane});
}

void Screen::OnSnapshot(GObject* view, GAsyncResult* result, gpointer data) {
  auto* write = static_cast<PendingWrite*>(data);
  GError* error = nullptr;
  cairo_surface_t* page = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, &error);
  if (page != nullptr) {
    write->screen->Compose(page, *write);
    cairo_surface_destroy(page);
  } else {
    fprintf(stderr, "tvbrowser: cannot write %s: the page was not drawn (%s)\n",
            write->path.c_str(), error != nullptr ? error->message : "no picture");
    ++write->screen->m_failures;
    g_clear_error(&error);
  }
  cairo_surface_destroy(write->plane);
  Screen* screen = write->screen;
  delete write;
  screen->WriteEnded();
}

void Screen::Compose(cairo_surface_t* page, const PendingWrite& write) {
  cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlaneWidth, kPlaneHeight);
  cairo_t* cr = cairo_create(screen);
  PaintScaled(cr, write.plane, kPlaneWidth, kPlaneHeight);
  // The page's viewport is the widget: its pixels scale by the widget
  // ratio, as the module scales the elements' areas onto the plane.
  PaintScaled(cr, page, kPlaneWidth, kPlaneHeight);
  cairo_destroy(cr);
  if (cairo_surface_write_to_png(screen, write.path.c_str()) != CAIRO_STATUS_SUCCESS) {
    fprintf(stderr, "tvbrowser: cannot write %s\n", write.path.c_str());
    ++m_failures;
  }
  cairo_surface_destroy(screen);
}

void Screen::WriteEnded() {
  if (--m_pending > 0 || !m_whenWritten) return;
  auto done = std::move(m_whenWritten);
  m_whenWritten = nullptr;
  done();
}

void Screen::WhenWritten(std::function<void()> done) {
  if (m_pending == 0) {
    done();
    return;
  }
  m_whenWritten = std::move(done);
}

}  // namespace tvbrowser
