#include "Identifiers.h"

#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace npbrowser {

namespace {

struct IdentifierRecord {
  bool isString;
  std::string name;
  int32_t value;
};

class IdentifierTable {
 public:
  NPIdentifier ForString(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& record = m_strings[name];
    if (!record) record = Make(IdentifierRecord{true, name, 0});
    return record.get();
  }

  NPIdentifier ForInt(int32_t value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& record = m_ints[value];
    if (!record) record = Make(IdentifierRecord{false, std::to_string(value), value});
    return record.get();
  }

  const IdentifierRecord* Find(NPIdentifier id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto* record = static_cast<IdentifierRecord*>(id);
    return m_known.count(record) != 0 ? record : nullptr;
  }

 private:
  std::unique_ptr<IdentifierRecord> Make(IdentifierRecord record) {
    auto made = std::make_unique<IdentifierRecord>(std::move(record));
    m_known.insert(made.get());
    return made;
  }

  std::mutex m_mutex;
  std::map<std::string, std::unique_ptr<IdentifierRecord>> m_strings;
  std::map<int32_t, std::unique_ptr<IdentifierRecord>> m_ints;
  std::unordered_set<const IdentifierRecord*> m_known;
};

IdentifierTable& Table() {
  static IdentifierTable table;
  return table;
}

}  // namespace

NPIdentifier StringIdentifier(const std::string& name) {
  return Table().ForString(name);
}

NPIdentifier IntIdentifier(int32_t value) { return Table().ForInt(value); }

bool IdentifierIsString(NPIdentifier id) {
  const IdentifierRecord* record = Table().Find(id);
  return record != nullptr && record->isString;
}

std::string IdentifierName(NPIdentifier id) {
  const IdentifierRecord* record = Table().Find(id);
  return record != nullptr ? record->name : std::string();
}

int32_t IdentifierInt(NPIdentifier id) {
  const IdentifierRecord* record = Table().Find(id);
  return record != nullptr && !record->isString ? record->value : INT32_MIN;
}

NPIdentifier IdentifierForPropertyName(const std::string& name) {
  bool isIndex = !name.empty() && name.size() <= 9 &&
                 name.find_first_not_of("0123456789") == std::string::npos &&
                 (name == "0" || name[0] != '0');
  return isIndex ? IntIdentifier(std::stoi(name)) : StringIdentifier(name);
}

}  // namespace npbrowser
