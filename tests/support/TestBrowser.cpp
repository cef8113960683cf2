// The unit-test browser.
#include "TestBrowser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Transcript.h"
#include "host/np_log.h"

namespace testbrowser {

namespace {

TestBrowser* gCurrent = nullptr;
constexpr size_t kMaxAsyncRunsPerPump = 100000;

// Script functions and the window: objects of a class without methods.
NPClass gPageClass = [] {
  NPClass c{};
  c.structVersion = NP_CLASS_STRUCT_VERSION;
  return c;
}();

// Frees an object the way its class allocated it.
void FreeObject(NPObject* object) {
  if (object->_class->deallocate != nullptr) {
    object->_class->deallocate(object);
  } else {
    free(object);
  }
}

std::string DescribeArgument(const NPVariant& value) {
  switch (value.type) {
    case NPVariantType_String:
      return std::string(value.value.stringValue.UTF8Characters,
                         value.value.stringValue.UTF8Length);
    case NPVariantType_Int32: return "<int32>";
    case NPVariantType_Double: return "<double>";
    case NPVariantType_Bool: return "<bool>";
    case NPVariantType_Object: return "<object>";
    case NPVariantType_Null: return "<null>";
    default: return "<void>";
  }
}

}  // namespace

struct BrowserFunctions {
  // The current browser, for the NPN function `name`, which must run on the
  // main thread: an error is recorded when it does not (every function but
  // the async call).
  static TestBrowser& OnMainThread(const char* name) {
    TestBrowser& browser = TestBrowser::Current();
    if (std::this_thread::get_id() != browser.m_mainThread) {
      browser.RecordError(std::string(name) + " called off the main thread");
    }
    return browser;
  }

  static void* MemAlloc(uint32_t size) {
    TestBrowser& browser = OnMainThread("memalloc");
    void* block = malloc(size == 0 ? 1 : size);
    std::lock_guard<std::mutex> lock(browser.m_mutex);
    try {  // the ledger may fail to grow in out-of-memory tests
      browser.m_allocations.insert(block);
    } catch (...) {
      free(block);
      throw;
    }
    return block;
  }

  static void MemFree(void* block) {
    TestBrowser& browser = OnMainThread("memfree");
    std::lock_guard<std::mutex> lock(browser.m_mutex);
    if (block != nullptr && browser.m_allocations.erase(block) == 0) {
      browser.m_errors.push_back("memfree of a block not from memalloc");
    } else {
      free(block);
    }
  }

  static NPError GetValue(NPP, NPNVariable variable, void* out) {
    TestBrowser& browser = OnMainThread("getvalue");
    if (out == nullptr) return NPERR_INVALID_PARAM;
    switch (static_cast<int>(variable)) {
      case NPNVWindowNPObject:
        if (!browser.m_windowAvailable) return NPERR_GENERIC_ERROR;
        *static_cast<NPObject**>(out) = RetainObject(browser.m_window);
        return NPERR_NO_ERROR;
      case 19:
        if (!browser.m_appId) return NPERR_GENERIC_ERROR;
        *static_cast<int32_t*>(out) = *browser.m_appId;
        return NPERR_NO_ERROR;
      case 20:
        // The TV browser fills a buffer of 1024 bytes, terminated only when
        // the name is shorter.
        if (!browser.m_appName) return NPERR_GENERIC_ERROR;
        memcpy(out, browser.m_appName->c_str(),
               std::min<size_t>(browser.m_appName->size() + 1, 1024));
        return NPERR_NO_ERROR;
      default:
        return NPERR_GENERIC_ERROR;
    }
  }

  static NPError SetValue(NPP, NPPVariable variable, void* value) {
    OnMainThread("setvalue");
    RecordLine("setvalue " + std::to_string(variable) + (value == nullptr ? " null" : " non-null"));
    return NPERR_NO_ERROR;
  }

  static NPIdentifier GetStringIdentifier(const NPUTF8* name) {
    TestBrowser& browser = OnMainThread("getstringidentifier");
    if (name == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(browser.m_mutex);
    return const_cast<char*>(browser.m_stringIds.insert(name).first->c_str());
  }

  static NPObject* CreateObject(NPP npp, NPClass* npclass) {
    TestBrowser& browser = OnMainThread("createobject");
    return npclass == nullptr ? nullptr : browser.NewObject(npp, npclass, false);
  }

  static NPObject* RetainObject(NPObject* object) {
    TestBrowser& browser = OnMainThread("retainobject");
    std::lock_guard<std::mutex> lock(browser.m_mutex);
    if (browser.m_objects.count(object) == 0) {
      browser.m_errors.push_back("retain of a dead or unknown object");
    } else {
      ++object->referenceCount;
    }
    return object;
  }

  static void ReleaseObject(NPObject* object) {
    TestBrowser& browser = OnMainThread("releaseobject");
    {
      std::lock_guard<std::mutex> lock(browser.m_mutex);
      if (browser.m_objects.count(object) == 0) {
        browser.m_errors.push_back("release of a dead or unknown object");
        return;
      }
      if (--object->referenceCount > 0) return;
      browser.m_objects.erase(object);
    }
    FreeObject(object);
  }

  static bool InvokeDefault(NPP, NPObject* object, const NPVariant* args, uint32_t argc,
                            NPVariant* result) {
    TestBrowser& browser = OnMainThread("invokeDefault");
    result->type = NPVariantType_Void;
    std::function<void()> action;
    {
      std::lock_guard<std::mutex> lock(browser.m_mutex);
      auto it = browser.m_objects.find(object);
      if (it == browser.m_objects.end() || !it->second.isFunction) {
        browser.m_errors.push_back(it == browser.m_objects.end() ? "invokeDefault on a dead object"
                                                                 : kInvokeDefaultOnNonFunction);
        return false;
      }
      FunctionCall& call = it->second.calls.emplace_back();
      std::string line = "page " + it->second.label + "(";
      for (uint32_t i = 0; i < argc; ++i) {
        call.args.push_back(DescribeArgument(args[i]));
        line += (i > 0 ? "," : "") + call.args.back();
      }
      RecordLine(line + ")");
      action = it->second.action;
    }
    if (action) action();
    return true;
  }

  static bool Evaluate(NPP, NPObject* object, NPString* script, NPVariant* result) {
    TestBrowser& browser = OnMainThread("evaluate");
    result->type = NPVariantType_Void;
    if (object != browser.m_window || script == nullptr) {
      browser.RecordError("evaluate outside the window object");
      return false;
    }
    const std::string text(script->UTF8Characters, script->UTF8Length);
    RecordLine("eval " + text);
    return !browser.m_evaluateHandler || browser.m_evaluateHandler(text, result);
  }

  static void ReleaseVariantValue(NPVariant* variant) {
    OnMainThread("releasevariantvalue");
    if (variant == nullptr) return;
    if (variant->type == NPVariantType_String) {
      MemFree(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
    } else if (variant->type == NPVariantType_Object) {
      ReleaseObject(variant->value.objectValue);
    }
    variant->type = NPVariantType_Void;
  }

  static void PluginThreadAsyncCall(NPP npp, NPPluginThreadCallback function, void* data) {
    TestBrowser& browser = TestBrowser::Current();  // the one call any thread may make
    std::lock_guard<std::mutex> lock(browser.m_mutex);
    browser.m_asyncQueue.push_back({npp, function, data});
  }
};

TestBrowser::TestBrowser() : m_mainThread(std::this_thread::get_id()) {
  gCurrent = this;
  SetWidgetSize("1280", "720");
  m_table.size = sizeof(NPNetscapeFuncs);
  m_table.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  m_table.memalloc = BrowserFunctions::MemAlloc;
  m_table.memfree = BrowserFunctions::MemFree;
  m_table.getvalue = BrowserFunctions::GetValue;
  m_table.setvalue = BrowserFunctions::SetValue;
  m_table.getstringidentifier = BrowserFunctions::GetStringIdentifier;
  m_table.createobject = BrowserFunctions::CreateObject;
  m_table.retainobject = BrowserFunctions::RetainObject;
  m_table.releaseobject = BrowserFunctions::ReleaseObject;
  m_table.invokeDefault = BrowserFunctions::InvokeDefault;
  m_table.evaluate = BrowserFunctions::Evaluate;
  m_table.releasevariantvalue = BrowserFunctions::ReleaseVariantValue;
  m_table.pluginthreadasynccall = BrowserFunctions::PluginThreadAsyncCall;
  m_window = NewObject(nullptr, &gPageClass, false);
}

TestBrowser::~TestBrowser() {
  BrowserFunctions::ReleaseObject(m_window);
  // Whatever the test left behind is freed so one leak does not cascade.
  for (auto& entry : m_objects) free(entry.first);
  for (void* block : m_allocations) free(block);
  if (gCurrent == this) gCurrent = nullptr;
  NPNFuncs = NPNetscapeFuncs{};
}

TestBrowser& TestBrowser::Current() { return *gCurrent; }

void TestBrowser::InstallIntoModule() { NPNFuncs = m_table; }

void TestBrowser::RecordError(std::string error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_errors.push_back(std::move(error));
}

void TestBrowser::SetWidgetSize(std::string width, std::string height) {
  SetEvaluateHandler([width, height](const std::string& script, NPVariant* result) {
    const std::string* answer = nullptr;
    if (script == "(function() { return curWidget.width.toString(); })()") answer = &width;
    if (script == "(function() { return curWidget.height.toString(); })()") answer = &height;
    if (answer != nullptr) {
      char* copy = static_cast<char*>(BrowserFunctions::MemAlloc(answer->size() + 1));
      memcpy(copy, answer->c_str(), answer->size() + 1);
      result->type = NPVariantType_String;
      result->value.stringValue = {copy, static_cast<uint32_t>(answer->size())};
    }
    return true;
  });
}

void TestBrowser::SetEvaluateHandler(std::function<bool(const std::string&, NPVariant*)> h) {
  m_evaluateHandler = std::move(h);
}

NPObject* TestBrowser::CreateFunction(std::string label) {
  return NewObject(nullptr, &gPageClass, true, std::move(label));
}

std::vector<FunctionCall> TestBrowser::CallsOf(NPObject* function) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_objects.find(function);
  return it == m_objects.end() ? std::vector<FunctionCall>{} : it->second.calls;
}

void TestBrowser::OnCall(NPObject* function, std::function<void()> action) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_objects.find(function);
  if (it != m_objects.end()) it->second.action = std::move(action);
}

uint32_t TestBrowser::RefCount(NPObject* object) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_objects.count(object) != 0 ? object->referenceCount : 0;
}

size_t TestBrowser::LiveObjects() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_objects.size() - m_objects.count(m_window);
}

size_t TestBrowser::LiveAllocations() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_allocations.size();
}

std::vector<std::string> TestBrowser::Errors() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_errors;
}

void TestBrowser::ExpectClean() const {
  EXPECT_EQ(LiveObjects(), 0u) << "objects left alive";
  EXPECT_EQ(LiveAllocations(), 0u) << "NPN_MemAlloc blocks not freed";
  EXPECT_EQ(RefCount(m_window), 1u) << "window references unbalanced";
  EXPECT_TRUE(Errors().empty()) << ::testing::PrintToString(Errors());
}

size_t TestBrowser::PendingAsyncCalls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_asyncQueue.size();
}

size_t TestBrowser::RunPendingAsyncCalls() {
  size_t ran = 0;
  for (; ran < kMaxAsyncRunsPerPump; ++ran) {
    AsyncCall call;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_asyncQueue.empty()) break;
      call = m_asyncQueue.front();
      m_asyncQueue.pop_front();
    }
    call.function(call.data);
  }
  return ran;
}

void TestBrowser::InstanceDestroyed(NPP npp) {
  if (m_policy == QueuedAfterDestroy::kRun) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_asyncQueue.erase(std::remove_if(m_asyncQueue.begin(), m_asyncQueue.end(),
                                    [npp](const AsyncCall& call) { return call.npp == npp; }),
                     m_asyncQueue.end());
}

NPObject* TestBrowser::NewObject(NPP npp, NPClass* npclass, bool isFunction, std::string label) {
  NPObject* object = npclass->allocate != nullptr
                         ? npclass->allocate(npp, npclass)
                         : static_cast<NPObject*>(calloc(1, sizeof(NPObject)));
  if (object == nullptr) return nullptr;
  object->_class = npclass;
  object->referenceCount = 1;
  std::lock_guard<std::mutex> lock(m_mutex);
  try {  // the ledger may fail to grow in out-of-memory tests
    m_objects[object] = ObjectRecord{isFunction, std::move(label), {}, {}};
  } catch (...) {
    m_objects.erase(object);
    FreeObject(object);
    throw;
  }
  return object;
}

}  // namespace testbrowser
