// The browser side of NPAPI: the complete NPN_ function table and the state
// behind it. The NPN functions carry no context, so one Browser per process
// is current and they find it through Current().
#ifndef NPBROWSER_BROWSER_H
#define NPBROWSER_BROWSER_H

#include <JavaScriptCore/JavaScript.h>

#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>

#include "npfunctions.h"

namespace npbrowser {

class LeakLedger;
class TaskPoster;
class ScriptBridge;

class Browser {
 public:
  // Becomes the current browser; the calling thread is the main thread.
  Browser(TaskPoster& loop, LeakLedger& ledger);
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  static Browser& Current();

  NPNetscapeFuncs* Funcs() { return &m_funcs; }
  TaskPoster& Loop() { return m_loop; }
  LeakLedger& Ledger() { return m_ledger; }
  bool OnMainThread() const { return std::this_thread::get_id() == m_mainThread; }

  // The page's script side; null while there is none.
  void SetBridge(ScriptBridge* bridge) { m_bridge = bridge; }
  ScriptBridge* Bridge() const { return m_bridge; }
  // Browser variables 19 (a 32-bit number) and 20 (a text).
  void SetAppIdentity(int32_t id, std::string name);

  // Live instances, and the element script object of each. Calls queued for
  // an instance that is gone are dropped.
  void InstanceCreated(NPP npp, JSObjectRef element);
  void InstanceDestroyed(NPP npp);
  bool IsLiveInstance(NPP npp) const;
  // The page's global object, or null without a page.
  JSObjectRef WindowScriptObject() const;

  // Object lifetime, shared with the script bridge.
  NPObject* CreateObject(NPP npp, NPClass* npclass);
  static NPObject* RetainObject(NPObject* object);
  void ReleaseObject(NPObject* object);

 private:
  friend struct NpnFunctions;
  void Deallocate(NPObject* object);

  TaskPoster& m_loop;
  LeakLedger& m_ledger;
  std::thread::id m_mainThread;
  NPNetscapeFuncs m_funcs;
  ScriptBridge* m_bridge = nullptr;
  int32_t m_appId = 0;
  std::string m_appName;
  std::unordered_map<NPP, JSObjectRef> m_instances;  // main thread only
};

}  // namespace npbrowser

#endif  // NPBROWSER_BROWSER_H
