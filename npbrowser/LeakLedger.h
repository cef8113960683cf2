// Accounts for everything the browser side hands out: NPObjects created
// through NPN_CreateObject and blocks from NPN_MemAlloc. Thread-safe.
#ifndef NPBROWSER_LEAKLEDGER_H
#define NPBROWSER_LEAKLEDGER_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include "npruntime.h"

namespace npbrowser {

class LeakLedger {
 public:
  LeakLedger() = default;
  // Frees the blocks still outstanding: they are the browser's memory.
  ~LeakLedger();
  LeakLedger(const LeakLedger&) = delete;
  LeakLedger& operator=(const LeakLedger&) = delete;

  void* Allocate(uint32_t size);
  // Frees a block from Allocate. An unknown block is noted, not freed.
  void Free(void* block);
  // A misuse of the browser's functions, listed in the report.
  void NoteMisuse(const std::string& what);

  void ObjectCreated(NPObject* object);
  void ObjectDeallocated(NPObject* object);
  bool IsLiveObject(NPObject* object) const;

  size_t LiveObjects() const;
  size_t LiveBlocks() const;
  // Empty when nothing is left over and nothing went wrong.
  std::string Report() const;

  // The leak check at a run's end: when `checked`, writes the report (if
  // any) to standard error and turns a passing exit `code` into kExitLeaks.
  // Answers the run's exit code.
  int CheckAtExit(bool checked, int code) const;

 private:
  mutable std::mutex m_mutex;
  std::unordered_map<void*, uint32_t> m_blocks;
  std::unordered_map<NPObject*, NPClass*> m_objects;
  size_t m_objectsCreated = 0;
  std::map<std::string, size_t> m_misuses;
};

}  // namespace npbrowser

#endif  // NPBROWSER_LEAKLEDGER_H
