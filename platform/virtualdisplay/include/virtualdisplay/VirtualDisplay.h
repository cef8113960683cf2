// An X server of the caller's own for running without a display: Xvfb on a
// free display number (Xvfb picks it and reports it), stopped when this
// goes. tvbrowser's --headless and the tests that look at a screen use it.
#ifndef VIRTUALDISPLAY_VIRTUALDISPLAY_H
#define VIRTUALDISPLAY_VIRTUALDISPLAY_H

#include <sys/types.h>

#include <string>

namespace virtualdisplay {

class VirtualDisplay {
 public:
  VirtualDisplay() = default;
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // Starts Xvfb with one screen of `screen` ("1920x1080x24") and waits
  // until it accepts clients. False with `error` set when it cannot.
  bool Start(const std::string& screen, std::string* error);
  void Stop();

  // The display's name, e.g. ":3"; empty until started.
  const std::string& Name() const { return m_name; }

 private:
  pid_t m_pid = -1;
  std::string m_name;
};

}  // namespace virtualdisplay

#endif  // VIRTUALDISPLAY_VIRTUALDISPLAY_H
