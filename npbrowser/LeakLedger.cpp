#include "LeakLedger.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "ExitCodes.h"
#include "ProgramName.h"

namespace npbrowser {

LeakLedger::~LeakLedger() {
  for (const auto& block : m_blocks) free(block.first);
}

void* LeakLedger::Allocate(uint32_t size) {
  void* block = malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_blocks.emplace(block, size);
  return block;
}

void LeakLedger::Free(void* block) {
  if (block == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_blocks.erase(block) == 0) {
      ++m_misuses["NPN_MemFree of a block not from NPN_MemAlloc"];
      return;
    }
  }
  free(block);
}

void LeakLedger::NoteMisuse(const std::string& what) {
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_misuses[what];
}

void LeakLedger::ObjectCreated(NPObject* object) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_objects.emplace(object, object->_class);
  ++m_objectsCreated;
}

void LeakLedger::ObjectDeallocated(NPObject* object) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_objects.erase(object);
}

bool LeakLedger::IsLiveObject(NPObject* object) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_objects.count(object) != 0;
}

size_t LeakLedger::LiveObjects() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_objects.size();
}

size_t LeakLedger::LiveBlocks() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_blocks.size();
}

int LeakLedger::CheckAtExit(bool checked, int code) const {
  if (!checked) return code;
  const std::string leaks = Report();
  if (leaks.empty()) return code;
  fputs(leaks.c_str(), stderr);
  return code == 0 ? kExitLeaks : code;
}

std::string LeakLedger::Report() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::ostringstream out;
  if (!m_objects.empty()) {
    out << MessagePrefix() << "leak: " << m_objects.size() << " of " << m_objectsCreated
        << " NPObjects not deallocated:";
    for (const auto& [object, npclass] : m_objects) {
      out << " " << static_cast<void*>(object) << " (class "
          << static_cast<void*>(npclass) << ", " << object->referenceCount
          << " references)";
    }
    out << "\n";
  }
  if (!m_blocks.empty()) {
    size_t bytes = 0;
    for (const auto& block : m_blocks) bytes += block.second;
    out << MessagePrefix() << "leak: " << m_blocks.size() << " NPN_MemAlloc blocks ("
        << bytes << " bytes) not freed\n";
  }
  for (const auto& [what, count] : m_misuses) {
    out << MessagePrefix() << "leak check: " << what << " (" << count << " times)\n";
  }
  return out.str();
}

}  // namespace npbrowser
