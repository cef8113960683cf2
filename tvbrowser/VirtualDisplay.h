// An Xvfb server of tvbrowser's own, for running without a display: started
// on a free display number (Xvfb picks it and reports it) and stopped when
// this goes.
#ifndef TVBROWSER_VIRTUALDISPLAY_H
#define TVBROWSER_VIRTUALDISPLAY_H

#include <sys/types.h>

#include <string>

namespace tvbrowser {

class VirtualDisplay {
 public:
  VirtualDisplay() = default;
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // Starts Xvfb and sets DISPLAY; false with `error` set when it cannot.
  bool Start(std::string* error);
  void Stop();

 private:
  pid_t m_pid = -1;
};

}  // namespace tvbrowser

#endif  // TVBROWSER_VIRTUALDISPLAY_H
