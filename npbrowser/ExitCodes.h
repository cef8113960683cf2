// How a run of either host ends, as its exit code: the run rules tvhost and
// tvbrowser share, and the codes their tests and page authors read.
#ifndef NPBROWSER_EXIT_CODES_H
#define NPBROWSER_EXIT_CODES_H

namespace npbrowser {

constexpr int kExitScriptError = 1;  // an error the page did not catch
constexpr int kExitLoadError = 2;    // a page, module or option that cannot be used
constexpr int kExitLeaks = 3;        // the leak check found something
constexpr int kExitTimeout = 124;    // the run's time ran out, as timeout(1)

}  // namespace npbrowser

#endif  // NPBROWSER_EXIT_CODES_H
