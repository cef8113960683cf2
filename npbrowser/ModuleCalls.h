// Which call into the module the main thread is in, so that the watchdog
// can say where a run that never returns is stuck. Calls nest (a module
// call may run script that calls the module again); the innermost is the
// current one.
#ifndef NPBROWSER_MODULECALLS_H
#define NPBROWSER_MODULECALLS_H

#include <string>

#include "npruntime.h"

namespace npbrowser {

// One call into the module, current for the scope's life. Main thread only:
// calls nest as scopes on its stack. `what` is a literal ("get", "invoke",
// "NPP_New", ...), `member` the identifier the call is about or null, and
// `place` an element or an NPP named with NameModulePlace, or null.
class ModuleCall {
 public:
  ModuleCall(const char* what, NPIdentifier member, const void* place);
  ~ModuleCall();
  ModuleCall(const ModuleCall&) = delete;
  ModuleCall& operator=(const ModuleCall&) = delete;
};

// How calls about `place` (an instance's element, or its NPP) name it, e.g.
// "element #av". Until forgotten.
void NameModulePlace(const void* place, std::string name);
void ForgetModulePlace(const void* place);

// The current call, e.g. "invoke play on element #av"; empty when the main
// thread is not in the module. Any thread.
std::string CurrentModuleCall();

}  // namespace npbrowser

#endif  // NPBROWSER_MODULECALLS_H
