#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "ServiceLookup.h"
#include "zor/ServiceRegistry.h"

namespace zor {
namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Service>> services;
};

std::atomic<int64_t> g_commandTimeoutMs{5000};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterService(const std::string& name, std::shared_ptr<Service> service) {
  std::shared_ptr<Service> replaced;  // released outside the lock
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  replaced = std::exchange(registry.services[name], std::move(service));
}

void UnregisterService(const std::string& name) {
  std::shared_ptr<Service> removed;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.services.find(name);
  if (it == registry.services.end()) return;
  removed = std::move(it->second);
  registry.services.erase(it);
}

void UnregisterAllServices() {
  std::map<std::string, std::shared_ptr<Service>> removed;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  removed.swap(registry.services);
}

std::shared_ptr<Service> FindService(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.services.find(name);
  return it == registry.services.end() ? nullptr : it->second;
}

}  // namespace zor

namespace zor {

void SetCommandTimeout(std::chrono::milliseconds bound) {
  g_commandTimeoutMs.store(std::max<int64_t>(bound.count(), 1),
                           std::memory_order_relaxed);
}

std::chrono::milliseconds CommandTimeout() {
  return std::chrono::milliseconds(
      g_commandTimeoutMs.load(std::memory_order_relaxed));
}

}  // namespace zor
