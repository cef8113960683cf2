// One run of tvhost: loads the module and the page, runs the main loop until
// the page exits, fails or times out, then tears everything down in the
// order a browser does and checks for leaks.
#ifndef TVHOST_HOST_H
#define TVHOST_HOST_H

#include <string>

#include "ExitCodes.h"
#include "Options.h"

namespace npbrowser {
class PluginModule;
}  // namespace npbrowser

namespace tvhost {

class MainLoop;
using npbrowser::PluginModule;

using npbrowser::kExitLoadError;
using npbrowser::kExitScriptError;
using npbrowser::kExitTimeout;

class Host {
 public:
  explicit Host(Options options) : m_options(std::move(options)) {}
  // The process's exit code.
  int Run();

 private:
  struct Session;
  std::string PluginPath() const;
  double TimeoutSeconds() const;
  void RunPage(MainLoop& loop, Session& session, const std::string& html);
  void Finish(MainLoop& loop, int code);

  Options m_options;
  PluginModule* m_module = nullptr;  // during Run
  bool m_finished = false;
  int m_exitCode = 0;
};

}  // namespace tvhost

#endif  // TVHOST_HOST_H
