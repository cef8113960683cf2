#include "GstRuntime.h"

#include <gst/gst.h>

namespace players {

bool EnsureGstreamer() {
  // gst_init_check is safe to repeat, but not to race: the first caller
  // must finish before anyone builds elements.
  static const bool ready = [] {
    GError* error = nullptr;
    const bool ok = gst_init_check(nullptr, nullptr, &error);
    if (error != nullptr) g_error_free(error);
    return ok;
  }();
  return ready;
}

}  // namespace players
