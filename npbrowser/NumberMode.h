// How whole numbers from script reach the module: as doubles, as WebKit
// passes them, or as int32 where they fit, as Mozilla does.
#ifndef NPBROWSER_NUMBERMODE_H
#define NPBROWSER_NUMBERMODE_H

namespace npbrowser {

enum class NumberMode { kDouble, kInt32 };

}  // namespace npbrowser

#endif  // NPBROWSER_NUMBERMODE_H
