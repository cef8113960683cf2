// A browser for unit tests: a complete NPNetscapeFuncs table whose functions
// keep real reference counts, account every NPN_MemAlloc block, write page
// calls, evaluations and NPN_SetValue calls into the transcript, and queue
// asynchronous calls until the test pumps the main loop (never inline).
// Misuse (a call off the main thread, a release of a dead object, a free of
// an unknown block) is recorded as an error rather than crashing the test.
#ifndef TESTS_SUPPORT_TESTBROWSER_H
#define TESTS_SUPPORT_TESTBROWSER_H

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "npfunctions.h"

namespace testbrowser {

// The error recorded when the module calls NPN_InvokeDefault on a live
// object that is not a function: a browser answers false, and the page may
// have registered such an object itself.
inline constexpr char kInvokeDefaultOnNonFunction[] = "invokeDefault on a non-function object";

// One call of a script function: string arguments; other types as "<type>".
struct FunctionCall {
  std::vector<std::string> args;
};

class TestBrowser {
 public:
  // What happens to async calls queued for an instance destroyed before
  // they ran: browsers of the Mozilla and Chromium families drop them,
  // others still run them.
  enum class QueuedAfterDestroy { kDrop, kRun };

  TestBrowser();  // becomes the current browser; the main thread is this one
  static TestBrowser& Current();
  ~TestBrowser();
  TestBrowser(const TestBrowser&) = delete;
  TestBrowser& operator=(const TestBrowser&) = delete;

  // The browser's table, complete (size 212 on 32-bit builds).
  NPNetscapeFuncs& Table() { return m_table; }
  // Copies the table into the module's NPNFuncs, for tests that skip
  // NP_Initialize.
  void InstallIntoModule();

  // The page: a window object owned by the browser (one reference), the
  // widget size its geometry scripts read, and variables 19 and 20. Unset,
  // a variable is answered with an error and nothing written; a name of
  // 1024 bytes or more fills the module's buffer with no terminator.
  NPObject* Window() { return m_window; }
  void SetWidgetSize(std::string width, std::string height);
  void SetAppId(std::optional<int32_t> id) { m_appId = id; }
  void SetAppName(std::optional<std::string> name) { m_appName = std::move(name); }
  void SetWindowAvailable(bool available) { m_windowAvailable = available; }
  // How scripts evaluate: SetWidgetSize answers the widget size scripts
  // (1280 x 720 at first) and any other with a void result; a handler
  // fills `result` itself. Each replaces the other.
  void SetEvaluateHandler(std::function<bool(const std::string& script, NPVariant* result)> h);

  // Script functions, written "page LABEL(arg,arg)" when called. The test
  // owns the returned reference. OnCall runs `action` inside every later
  // call, as page script would run during the callback.
  NPObject* CreateFunction(std::string label = "f");
  std::vector<FunctionCall> CallsOf(NPObject* function) const;
  void OnCall(NPObject* function, std::function<void()> action);

  uint32_t RefCount(NPObject* object) const;
  size_t LiveObjects() const;      // every live object but the window
  size_t LiveAllocations() const;  // NPN_MemAlloc blocks not yet freed
  std::vector<std::string> Errors() const;
  // Fails the running test unless nothing leaked and nothing went wrong.
  void ExpectClean() const;

  // The main loop: runs the queued calls, including those queued while
  // running, up to a bound; returns how many ran.
  size_t PendingAsyncCalls() const;
  size_t RunPendingAsyncCalls();
  void SetQueuedAfterDestroy(QueuedAfterDestroy policy) { m_policy = policy; }
  // Tells the browser that NPP_Destroy ran for `npp`.
  void InstanceDestroyed(NPP npp);

 private:
  struct AsyncCall {
    NPP npp;
    NPPluginThreadCallback function;
    void* data;
  };
  struct ObjectRecord {
    bool isFunction = false;
    std::string label;
    std::vector<FunctionCall> calls;
    std::function<void()> action;
  };

  friend struct BrowserFunctions;  // the NPN_ functions

  void RecordError(std::string error);
  NPObject* NewObject(NPP npp, NPClass* npclass, bool isFunction, std::string label = "");

  NPNetscapeFuncs m_table{};
  std::thread::id m_mainThread;
  NPObject* m_window = nullptr;
  std::optional<int32_t> m_appId = 1234;
  std::optional<std::string> m_appName = "TestApp";
  bool m_windowAvailable = true;
  std::function<bool(const std::string&, NPVariant*)> m_evaluateHandler;
  QueuedAfterDestroy m_policy = QueuedAfterDestroy::kDrop;

  mutable std::mutex m_mutex;  // guards everything below
  std::vector<std::string> m_errors;
  std::map<NPObject*, ObjectRecord> m_objects;
  std::set<void*> m_allocations;
  std::set<std::string> m_stringIds;  // an identifier is its interned name
  std::deque<AsyncCall> m_asyncQueue;
};

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_TESTBROWSER_H
