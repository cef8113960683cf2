// The globals a page sees besides its plug-in elements: window, document,
// curWidget, console and the timer functions. The `tvhost` test global is
// npbrowser's TestGlobal.
#ifndef TVHOST_PAGEGLOBALS_H
#define TVHOST_PAGEGLOBALS_H

#include <JavaScriptCore/JavaScript.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace npbrowser {
class ScriptBridge;
class ScriptEngine;
struct Element;
}  // namespace npbrowser

namespace tvhost {

class Document;
class MainLoop;
using npbrowser::Element;
using npbrowser::ScriptBridge;
using npbrowser::ScriptEngine;

class PageGlobals {
 public:
  struct Settings {
    int widgetWidth;
    int widgetHeight;
  };

  PageGlobals(ScriptBridge& bridge, MainLoop& loop, Document& document, Settings settings);
  ~PageGlobals();  // cancels the page's timers
  PageGlobals(const PageGlobals&) = delete;
  PageGlobals& operator=(const PageGlobals&) = delete;

  // The script object of an element; plug-in elements get theirs from the
  // host, others a plain element object on first use.
  void SetElementObject(const Element* element, JSObjectRef object);
  JSObjectRef ElementObject(const Element* element);
  // Calls window.onload if the page set it.
  void FireLoad();
  void CancelTimers();

 private:
  void InstallConsole();
  void InstallTimers();
  void InstallDocument();
  struct PageTimer {
    JSValueRef handler;  // a function, or a text to evaluate
    std::vector<JSValueRef> args;
    bool repeat;
  };
  int StartTimer(const std::vector<JSValueRef>& args, bool repeat);
  void FireTimer(int id);
  void StopTimer(int id);
  void Protect(const PageTimer& timer);
  void Unprotect(const PageTimer& timer);

  ScriptBridge& m_bridge;
  ScriptEngine& m_engine;
  MainLoop& m_loop;
  Document& m_document;
  Settings m_settings;
  std::unordered_map<const Element*, JSObjectRef> m_elements;  // protected
  std::map<int, PageTimer> m_timers;                           // protected
};

}  // namespace tvhost

#endif  // TVHOST_PAGEGLOBALS_H
