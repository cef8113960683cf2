// A browser for unit tests: a complete NPNetscapeFuncs table whose functions
// record what the module does, keep real reference counts, account every
// NPN_MemAlloc block, and queue asynchronous calls until the test pumps the
// main loop (never inline). Misuse (a call off the main thread, a release of
// a dead object, a free of an unknown block) is recorded as an error rather
// than crashing the test.
#ifndef TESTS_SUPPORT_TESTBROWSER_H
#define TESTS_SUPPORT_TESTBROWSER_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "npfunctions.h"

namespace testbrowser {

// The error recorded when the module calls NPN_InvokeDefault on a live
// object that is not a function: a browser answers false, and the page may
// have registered such an object itself.
inline constexpr char kInvokeDefaultOnNonFunction[] = "invokeDefault on a non-function object";

// A script function the module can call through NPN_InvokeDefault.
struct FunctionCall {
  std::vector<std::string> args;  // string arguments; other types as "<type>"
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
  // widget size that the geometry scripts read, and variables 19 and 20.
  NPObject* Window() { return m_window; }
  void SetWidgetSize(std::string width, std::string height);
  // Unset, the browser answers the variable with an error and writes
  // nothing. A name of 1024 bytes or more fills the module's buffer with
  // its first 1024 bytes and no terminator.
  void SetAppId(std::optional<int32_t> id) { m_appId = id; }
  void SetAppName(std::optional<std::string> name) { m_appName = std::move(name); }
  void SetWindowAvailable(bool available) { m_windowAvailable = available; }
  // Replaces the default evaluation (widget size scripts; anything else
  // succeeds with a void result). The handler fills `result`.
  void SetEvaluateHandler(
      std::function<bool(const std::string& script, NPVariant* result)> h);
  std::vector<std::string> EvaluatedScripts() const;

  // Script functions. The test owns the returned reference. A call is
  // recorded in the transcript as "page LABEL(arg,arg)".
  NPObject* CreateFunction(std::string label = "f");
  std::vector<FunctionCall> CallsOf(NPObject* function) const;
  // Runs `action` inside every later call of `function`, as page script
  // would run during the callback.
  void OnCall(NPObject* function, std::function<void()> action);

  // Reference counts and lifetimes.
  uint32_t RefCount(NPObject* object) const;
  size_t LiveObjects() const;       // every live object but the window
  size_t LiveAllocations() const;   // NPN_MemAlloc blocks not yet freed
  std::vector<std::string> Errors() const;
  // Fails the running test unless nothing leaked and nothing went wrong.
  void ExpectClean() const;

  // Main loop.
  size_t PendingAsyncCalls() const;
  // Runs the queued calls, including those queued while running, up to a
  // bound; returns how many ran.
  size_t RunPendingAsyncCalls();
  void SetQueuedAfterDestroy(QueuedAfterDestroy policy) { m_policy = policy; }
  // Tells the browser that NPP_Destroy ran for `npp`.
  void InstanceDestroyed(NPP npp);

  // NPN_SetValue calls, in order.
  std::vector<std::pair<NPPVariable, void*>> SetValueCalls() const;

 private:
  // An NPVariant string whose text is an NPN_MemAlloc copy.
  NPVariant MakeString(const std::string& text);

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

  // Records an error when a browser function other than the async call
  // runs off the main thread.
  void ExpectMainThread(const char* name);
  void RecordError(const std::string& error);
  bool OnMainThread() const;

  // The NPN_ functions.
  static void* MemAlloc(uint32_t size);
  static void MemFree(void* block);
  static NPError GetValue(NPP npp, NPNVariable variable, void* out);
  static NPError SetValue(NPP npp, NPPVariable variable, void* value);
  static NPIdentifier GetStringIdentifier(const NPUTF8* name);
  static NPObject* CreateObject(NPP npp, NPClass* npclass);
  static NPObject* RetainObject(NPObject* object);
  static void ReleaseObject(NPObject* object);
  static bool InvokeDefault(NPP npp, NPObject* object, const NPVariant* args,
                            uint32_t argc, NPVariant* result);
  static bool Evaluate(NPP npp, NPObject* object, NPString* script,
                       NPVariant* result);
  static void ReleaseVariantValue(NPVariant* variant);
  static void PluginThreadAsyncCall(NPP npp, NPPluginThreadCallback function,
                                    void* data);

  NPObject* NewObject(NPP npp, NPClass* npclass, bool isFunction, std::string label = "");
  bool DefaultEvaluate(const std::string& script, NPVariant* result);

  NPNetscapeFuncs m_table{};
  std::thread::id m_mainThread;
  NPObject* m_window = nullptr;
  std::optional<int32_t> m_appId = 1234;
  std::optional<std::string> m_appName = "TestApp";
  bool m_windowAvailable = true;
  std::string m_widgetWidth = "1280";
  std::string m_widgetHeight = "720";
  std::function<bool(const std::string&, NPVariant*)> m_evaluateHandler;
  QueuedAfterDestroy m_policy = QueuedAfterDestroy::kDrop;

  mutable std::mutex m_mutex;  // guards everything below
  std::vector<std::string> m_errors;
  std::vector<std::string> m_scripts;
  std::vector<std::pair<NPPVariable, void*>> m_setValues;
  std::map<NPObject*, ObjectRecord> m_objects;
  std::map<void*, uint32_t> m_allocations;
  std::map<std::string, NPIdentifier> m_stringIds;
  std::deque<AsyncCall> m_asyncQueue;
};

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_TESTBROWSER_H
