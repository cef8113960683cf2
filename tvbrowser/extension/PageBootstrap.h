// The script that makes a WebKit page's plug-in elements the module's
// objects, run in each page before the page's own scripts.
#ifndef TVBROWSER_PAGEBOOTSTRAP_H
#define TVBROWSER_PAGEBOOTSTRAP_H

namespace tvbrowser {

// Expects the native `np` object (handles, create, destroy, fail, print) as
// the function's argument.
extern const char kPageBootstrap[];

}  // namespace tvbrowser

#endif  // TVBROWSER_PAGEBOOTSTRAP_H
