// The module linked into the test program, so that a test can look at an
// instance's inside, its log and the module's own browser table.
#ifndef TESTS_MODULE_MODULETEST_H
#define TESTS_MODULE_MODULETEST_H

#include <string>
#include <vector>

#include "LogCapture.h"
#include "PluginHostTest.h"
#include "host/np_entry.h"
#include "host/np_log.h"
#include "script/plugin.h"

namespace plugintest {

class ModuleTest : public PluginHostTest {
 protected:
  NP_InitializeFunc Entry() override { return NP_Initialize; }

  void SetUp() override {
    PluginHostTest::SetUp();
    testbrowser::ClearCapturedLog();
  }

  static CPlugin& PluginOf(NPP npp) { return *static_cast<CPlugin*>(npp->pdata); }

  // Every message from one source file since the last clear, as
  // "level text".
  static std::vector<std::string> LogOf(const std::string& file) {
    std::vector<std::string> lines;
    for (const auto& line : testbrowser::CapturedLog()) {
      if (line.file == file) lines.push_back(std::to_string(line.level) + " " + line.text);
    }
    return lines;
  }
};

// The browser's allocator fails while one of these lives.
class FailingAllocations {
 public:
  FailingAllocations() : m_saved(NPNFuncs.memalloc) {
    NPNFuncs.memalloc = [](uint32_t) -> void* { return nullptr; };
  }
  ~FailingAllocations() { NPNFuncs.memalloc = m_saved; }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;

 private:
  NPN_MemAllocProcPtr m_saved;
};

}  // namespace plugintest

#endif  // TESTS_MODULE_MODULETEST_H
