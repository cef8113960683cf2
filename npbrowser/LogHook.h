// The logging hook the browser process exports to the module:
//   extern "C" void (*weWebKitPrint)(int module, int level, const char*, ...)
// Messages up to the chosen level go to standard error, one write each.
#ifndef NPBROWSER_LOGHOOK_H
#define NPBROWSER_LOGHOOK_H

namespace npbrowser {

// 0 prints nothing.
void SetModuleLogLevel(int level);

}  // namespace npbrowser

extern "C" {
typedef void (*WeWebKitPrintFunc)(int module, int level, const char* format,
                                  ...);
extern __attribute__((visibility("default"))) WeWebKitPrintFunc weWebKitPrint;
}

#endif  // NPBROWSER_LOGHOOK_H
