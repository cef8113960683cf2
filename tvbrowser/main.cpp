// tvbrowser: a WebKitGTK browser for TV pages with the AV-object plug-in
// module in its web process (see extension/). This side opens the page in a
// window, or headless in a virtual display of its own, and ends the run with
// the code the page's side sends, or at the timeout. The window shows the
// page over the TV's video plane (Screen.h).
#include <gtk/gtk.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ExitCodes.h"
#include "Screen.h"
#include "WidgetSize.h"
#include "virtualdisplay/VirtualDisplay.h"

namespace {

using npbrowser::kExitLoadError;
using npbrowser::kExitTimeout;
constexpr int kLongestServiceTimeoutMs = 86400000;  // a day
// The run's timer counts milliseconds in 32 bits: about 49 days at most.
constexpr double kLongestTimeoutSeconds = 1000000;
// How long the end of the run waits for the page to be drawn into the
// screenshots: a page stuck in a loop is never drawn.
constexpr unsigned kScreenshotBoundMs = 5000;
// How often the window asks for the plane: the video moves this often.
constexpr unsigned kPlaneRefreshMs = 100;

struct Options {
  gchar* plugin = nullptr;
  gchar* player = nullptr;
  gchar* widget = nullptr;
  gchar* extensionDir = nullptr;
  gint logLevel = 0;
  gdouble timeout = 60;
  gdouble mediaDuration = 30;
  gdouble timeScale = 1;
  gint osdResolution = 2;
  gint serviceTimeoutMs = 5000;
  gint appId = 0;
  gchar* appName = nullptr;
  gboolean checkLeaks = FALSE;
  gboolean headless = FALSE;
  gchar** args = nullptr;
  gchar* keys = nullptr;
  gchar* screenshot = nullptr;
  gchar* snapshotDir = nullptr;
  gchar** page = nullptr;
};

bool Positive(double value) { return std::isfinite(value) && value > 0; }

// What the option parser cannot check by a value's type, said as tvhost
// says it; empty when every value is in range. The widget is read here
// once, for both processes.
std::string RangeError(const Options& o, int* widgetWidth, int* widgetHeight) {
  if (o.serviceTimeoutMs < 1 || o.serviceTimeoutMs > kLongestServiceTimeoutMs) {
    return "bad value for --service-timeout: must be 1 to " +
           std::to_string(kLongestServiceTimeoutMs);
  }
  if (o.logLevel < 0 || o.logLevel > 9) return "bad value for --log-level: must be 0 to 9";
  if (!Positive(o.timeout) || o.timeout > kLongestTimeoutSeconds) {
    return "bad value for --timeout: must be more than 0 and at most " +
           std::to_string(static_cast<int>(kLongestTimeoutSeconds));
  }
  if (!Positive(o.mediaDuration)) {
    return "bad value for --media-duration: must be more than 0";
  }
  if (!Positive(o.timeScale)) {
    return "bad value for --time-scale: must be more than 0";
  }
  if (o.widget != nullptr && !npbrowser::ReadWidgetSize(o.widget, widgetWidth, widgetHeight)) {
    return "bad value for --widget: must be WxH, each 1 to " +
           std::to_string(npbrowser::kLargestWidgetSide);
  }
  return "";
}

struct Run {
  GMainLoop* loop = nullptr;
  tvbrowser::Screen* screen = nullptr;
  std::string screenshot;  // empty: none asked for
  int exitCode = 0;
  bool done = false;

  // Ends the run once the screenshots asked for are written. `fromPage`:
  // the web process sent the plane with its end; otherwise it is asked for
  // now, unless the page cannot be drawn any more (`drawable` false).
  void End(int code, bool fromPage = false, bool drawable = true) {
    if (done) return;
    done = true;
    exitCode = code;
    if (!drawable) {
      Quit();
      return;
    }
    g_timeout_add(kScreenshotBoundMs, +[](gpointer data) -> gboolean {
      fprintf(stderr, "tvbrowser: the page was not drawn for the screenshots\n");
      static_cast<Run*>(data)->Quit();
      return G_SOURCE_REMOVE;
    }, this);
    if (screenshot.empty() || fromPage) {
      WriteScreenshot();
    } else {
      screen->RefreshPlane([this] { WriteScreenshot(); });
    }
  }

  void WriteScreenshot() {
    if (!screenshot.empty()) screen->Write(screenshot, nullptr);
    screen->WhenWritten([this] {
      if (!screen->AllWritten() && exitCode == 0) exitCode = kExitLoadError;
      Quit();
    });
  }

  void Quit() { g_main_loop_quit(loop); }
};

// The messages of the page's side: the run's end, and the plane.
gboolean OnPageMessage(WebKitWebView*, WebKitUserMessage* message, Run* run) {
  const char* name = webkit_user_message_get_name(message);
  GVariant* parameters = webkit_user_message_get_parameters(message);
  if (g_strcmp0(name, "exit") == 0) {
    run->End(g_variant_get_int32(parameters), true);
  } else if (g_strcmp0(name, "plane") == 0) {
    run->screen->SetPlane(parameters);
  } else if (g_strcmp0(name, "snapshot") == 0) {
    const char* path = nullptr;
    GVariant* plane = nullptr;
    g_variant_get(parameters, "(&s@ay)", &path, &plane);
    run->screen->Write(path, plane);
    g_variant_unref(plane);
  } else {
    return FALSE;
  }
  return TRUE;
}

std::string BesideSelf(const std::string& name) {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string self = length > 0 ? std::string(path, static_cast<size_t>(length)) : "";
  return self.substr(0, self.rfind('/') + 1) + name;
}

GVariant* ExtensionSettings(const Options& o, int widgetWidth, int widgetHeight) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ss)"));
  auto add = [&builder](const char* key, const std::string& value) {
    g_variant_builder_add(&builder, "(ss)", key, value.c_str());
  };
  add("plugin", o.plugin != nullptr ? o.plugin : BesideSelf("libRuvoAVObjectPlugin.so"));
  add("player", o.player != nullptr ? o.player : "sim");
  add("log-level", std::to_string(o.logLevel));
  add("widget-width", std::to_string(widgetWidth));
  add("widget-height", std::to_string(widgetHeight));
  if (o.checkLeaks) add("check-leaks", "1");
  add("app-id", std::to_string(o.appId));
  add("app-name", o.appName != nullptr ? o.appName : "tvbrowser");
  add("media-duration", std::to_string(o.mediaDuration));
  add("time-scale", std::to_string(o.timeScale));
  add("osd-resolution", std::to_string(o.osdResolution));
  add("service-timeout", std::to_string(o.serviceTimeoutMs));
  add("keys", o.keys != nullptr ? o.keys : "");
  if (o.screenshot != nullptr) add("screenshot", "1");
  if (o.snapshotDir != nullptr) add("snapshot-dir", o.snapshotDir);
  for (gchar** arg = o.args; arg != nullptr && *arg != nullptr; ++arg) add("arg", *arg);
  return g_variant_builder_end(&builder);
}

std::string PageUri(const std::string& page) {
  if (page.find("://") != std::string::npos) return page;
  GFile* file = g_file_new_for_commandline_arg(page.c_str());
  gchar* uri = g_file_get_uri(file);
  std::string result = uri;
  g_free(uri);
  g_object_unref(file);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  GOptionEntry entries[] = {
      {"plugin", 0, 0, G_OPTION_ARG_FILENAME, &o.plugin, "Module to load (default: beside tvbrowser)", "PATH"},
      {"player", 0, 0, G_OPTION_ARG_STRING, &o.player, "sim (default), scripted or gst (GStreamer, the real picture)", "KIND"},
      {"widget", 0, 0, G_OPTION_ARG_STRING, &o.widget, "curWidget size and viewport (default 1280x720)", "WxH"},
      {"log-level", 0, 0, G_OPTION_ARG_INT, &o.logLevel, "Print the module's messages up to level N", "N"},
      {"timeout", 0, 0, G_OPTION_ARG_DOUBLE, &o.timeout, "End with exit code 124 (default 60)", "SECONDS"},
      {"media-duration", 0, 0, G_OPTION_ARG_DOUBLE, &o.mediaDuration, "Length of the simulated media (default 30)", "SECONDS"},
      {"time-scale", 0, 0, G_OPTION_ARG_DOUBLE, &o.timeScale, "Simulated clock speed (default 1)", "X"},
      {"osd-resolution", 0, 0, G_OPTION_ARG_INT, &o.osdResolution, "Answer to GetOSDResolution (default 2)", "CODE"},
      {"service-timeout", 0, 0, G_OPTION_ARG_INT, &o.serviceTimeoutMs,
       "A service command not answered in MS milliseconds answers \"E\" (default 5000)", "MS"},
      {"app-id", 0, 0, G_OPTION_ARG_INT, &o.appId, "Answer for browser variable 19 (default 0)", "N"},
      {"app-name", 0, 0, G_OPTION_ARG_STRING, &o.appName, "Answer for browser variable 20 (default tvbrowser)", "TEXT"},
      {"check-leaks", 0, 0, G_OPTION_ARG_NONE, &o.checkLeaks, "Report NPObjects and blocks left at exit, exit code 3", nullptr},
      {"headless", 0, 0, G_OPTION_ARG_NONE, &o.headless, "No window; an own Xvfb when DISPLAY is unset", nullptr},
      {"keys", 0, 0, G_OPTION_ARG_STRING, &o.keys,
       "Keys sent after the load event, e.g. \"RIGHT RIGHT ENTER wait:1500 RED\": LEFT UP RIGHT "
       "DOWN ENTER BACK RED GREEN YELLOW BLUE PLAY PAUSE STOP FAST_FWD REWIND 0-9, wait:MS. "
       "In the window: arrows, Enter, digits; Backspace BACK; F1-F4 RED GREEN YELLOW BLUE; "
       "P PLAY, Space PAUSE, S STOP, F FAST_FWD, R REWIND", "KEYS"},
      {"screenshot", 0, 0, G_OPTION_ARG_FILENAME, &o.screenshot,
       "Write the screen as a PNG when the run ends: the page over the video plane, "
       "1920x1080 as the TV shows it", "PATH"},
      {"snapshot-dir", 0, 0, G_OPTION_ARG_FILENAME, &o.snapshotDir,
       "Folder tvhost.snapshot(name) writes the screen into", "DIR"},
      {"arg", 0, 0, G_OPTION_ARG_STRING_ARRAY, &o.args, "Appended to tvhost.args (repeatable)", "TEXT"},
      {"extension-dir", 0, G_OPTION_FLAG_HIDDEN, G_OPTION_ARG_FILENAME, &o.extensionDir, "", "DIR"},
      {G_OPTION_REMAINING, 0, 0, G_OPTION_ARG_FILENAME_ARRAY, &o.page, "", "PAGE.html|URL"},
      {}};
  GOptionContext* context = g_option_context_new(nullptr);
  g_option_context_set_summary(context, "Opens a TV page in WebKit with the AV-object plug-in module.");
  g_option_context_add_main_entries(context, entries, nullptr);
  GError* error = nullptr;
  if (!g_option_context_parse(context, &argc, &argv, &error) || o.page == nullptr ||
      o.page[0] == nullptr || o.page[1] != nullptr) {
    fprintf(stderr, "tvbrowser: %s (see tvbrowser --help)\n",
            error != nullptr ? error->message : "give one page");
    return kExitLoadError;
  }
  int width = 1280, height = 720;
  const std::string rangeError = RangeError(o, &width, &height);
  if (!rangeError.empty()) {
    fprintf(stderr, "tvbrowser: %s (see tvbrowser --help)\n", rangeError.c_str());
    return kExitLoadError;
  }
  g_option_context_free(context);
  const std::string player = o.player != nullptr ? o.player : "sim";
  if (player != "sim" && player != "scripted" && player != "gst") {
    fprintf(stderr, "tvbrowser: unknown player %s (sim, scripted or gst)\n", player.c_str());
    return kExitLoadError;
  }

  if (o.snapshotDir != nullptr && g_mkdir_with_parents(o.snapshotDir, 0755) != 0) {
    fprintf(stderr, "tvbrowser: cannot make snapshot folder %s\n", o.snapshotDir);
    return kExitLoadError;
  }
  virtualdisplay::VirtualDisplay display;
  std::string failure;
  if (o.headless && g_getenv("DISPLAY") == nullptr) {
    if (!display.Start("1920x1080x24", &failure)) {
      fprintf(stderr, "tvbrowser: %s\n", failure.c_str());
      return kExitLoadError;
    }
    g_setenv("DISPLAY", display.Name().c_str(), TRUE);
  }
  if (!gtk_init_check(&argc, &argv)) {
    fprintf(stderr, "tvbrowser: cannot open the display (try --headless)\n");
    return kExitLoadError;
  }

  Run run;
  run.loop = g_main_loop_new(nullptr, FALSE);
  WebKitWebContext* web = webkit_web_context_get_default();
  std::string extensionDir = o.extensionDir != nullptr ? o.extensionDir : BesideSelf("extension");
  webkit_web_context_set_web_extensions_directory(web, extensionDir.c_str());
  webkit_web_context_set_web_extensions_initialization_user_data(
      web, ExtensionSettings(o, width, height));

  GtkWidget* window = o.headless ? gtk_offscreen_window_new() : gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  gtk_widget_set_size_request(window, width, height);
  GtkWidget* view = webkit_web_view_new_with_context(web);
  // A TV app is a folder of local files: its scripts' errors keep their
  // text and place, and it may read its own files.
  WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
  webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings, TRUE);
  GdkRGBA clear = {0, 0, 0, 0};
  webkit_web_view_set_background_color(WEBKIT_WEB_VIEW(view), &clear);
  tvbrowser::Screen screen(WEBKIT_WEB_VIEW(view));
  run.screen = &screen;
  if (o.screenshot != nullptr) run.screenshot = o.screenshot;
  // The plane under the page: the view's transparent background shows it.
  GtkWidget* overlay = gtk_overlay_new();
  gtk_container_add(GTK_CONTAINER(overlay), screen.PlaneArea());
  gtk_overlay_add_overlay(GTK_OVERLAY(overlay), view);
  gtk_container_add(GTK_CONTAINER(window), overlay);
  if (!o.headless) screen.Follow(kPlaneRefreshMs);
  g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, Run* r) { r->End(0, false, false); }), &run);
  g_signal_connect(view, "user-message-received", G_CALLBACK(OnPageMessage), &run);
  g_signal_connect(view, "load-failed",
                   G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* e, Run* r) -> gboolean {
                     fprintf(stderr, "tvbrowser: cannot load page %s: %s\n", uri, e->message);
                     r->End(kExitLoadError, false, false);
                     return TRUE;
                   }),
                   &run);
  g_signal_connect(view, "web-process-terminated",
                   G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason, Run* r) {
                     fprintf(stderr, "tvbrowser: the web process ended\n");
                     r->End(kExitLoadError, false, false);
                   }),
                   &run);
  static double timeoutSeconds = o.timeout;
  g_timeout_add(static_cast<guint>(o.timeout * 1000), +[](gpointer data) -> gboolean {
    fprintf(stderr, "tvbrowser: timed out after %g seconds\n", timeoutSeconds);
    static_cast<Run*>(data)->End(kExitTimeout);
    return G_SOURCE_REMOVE;
  }, &run);
  gtk_widget_show_all(window);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), PageUri(o.page[0]).c_str());
  g_main_loop_run(run.loop);
  fflush(stdout);
  display.Stop();
  // The web process goes with the view; no page code runs after this.
  _exit(run.exitCode);
}
