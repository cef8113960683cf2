#include "ModuleCalls.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "Identifiers.h"

namespace npbrowser {

namespace {

// Module calls are made on every property access, so the main thread
// records them without a lock: it alone writes the calls, and a reader
// takes a copy between two equal even counts of `changes`. The main thread
// stores with release and the reader loads with acquire, so a reader that
// sees anything of a later change also sees that change's count. What a
// copy holds stays valid for good: literals, interned identifiers, and
// places that are only looked up by their address.
constexpr size_t kDeepest = 64;

struct Call {
  std::atomic<const char*> what{nullptr};
  std::atomic<NPIdentifier> member{nullptr};
  std::atomic<const void*> place{nullptr};
};

struct Calls {
  std::atomic<unsigned> changes{0};  // odd while the main thread writes
  std::atomic<size_t> depth{0};
  Call calls[kDeepest];
};

Calls gCalls;

// Named and forgotten on the main thread, never while it is in the module.
struct Places {
  std::mutex mutex;
  std::unordered_map<const void*, std::string> names;
};

Places& ThePlaces() {
  static Places places;
  return places;
}

// A reader gives up rather than wait long on a main thread that is busy
// changing what it records.
constexpr int kReadAttempts = 1000;

void BeginChange() {
  gCalls.changes.store(gCalls.changes.load(std::memory_order_relaxed) + 1,
                       std::memory_order_relaxed);
}

void EndChange() {
  gCalls.changes.store(gCalls.changes.load(std::memory_order_relaxed) + 1,
                       std::memory_order_release);
}

struct Snapshot {
  size_t depth;
  const char* what;
  NPIdentifier member;
  const void* place;
};

bool TakeSnapshot(Snapshot* copy) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    unsigned before = gCalls.changes.load(std::memory_order_acquire);
    if (before % 2 != 0) continue;
    copy->depth = gCalls.depth.load(std::memory_order_acquire);
    if (copy->depth > 0 && copy->depth <= kDeepest) {
      const Call& call = gCalls.calls[copy->depth - 1];
      copy->what = call.what.load(std::memory_order_acquire);
      copy->member = call.member.load(std::memory_order_acquire);
      copy->place = call.place.load(std::memory_order_acquire);
    }
    if (gCalls.changes.load(std::memory_order_acquire) == before) return true;
  }
  return false;
}

}  // namespace

ModuleCall::ModuleCall(const char* what, NPIdentifier member, const void* place) {
  size_t depth = gCalls.depth.load(std::memory_order_relaxed);
  BeginChange();
  if (depth < kDeepest) {
    gCalls.calls[depth].what.store(what, std::memory_order_release);
    gCalls.calls[depth].member.store(member, std::memory_order_release);
    gCalls.calls[depth].place.store(place, std::memory_order_release);
  }
  gCalls.depth.store(depth + 1, std::memory_order_release);
  EndChange();
}

ModuleCall::~ModuleCall() {
  BeginChange();
  gCalls.depth.store(gCalls.depth.load(std::memory_order_relaxed) - 1,
                     std::memory_order_release);
  EndChange();
}

void NameModulePlace(const void* place, std::string name) {
  Places& places = ThePlaces();
  std::lock_guard<std::mutex> lock(places.mutex);
  places.names[place] = std::move(name);
}

void ForgetModulePlace(const void* place) {
  Places& places = ThePlaces();
  std::lock_guard<std::mutex> lock(places.mutex);
  places.names.erase(place);
}

std::string CurrentModuleCall() {
  Snapshot call{};
  if (!TakeSnapshot(&call)) return "a call that could not be read";
  if (call.depth == 0) return std::string();
  if (call.depth > kDeepest) {
    return "a call nested more than " + std::to_string(kDeepest) + " deep";
  }
  std::string text = call.what;
  if (call.member != nullptr) text += " " + IdentifierName(call.member);
  Places& places = ThePlaces();
  std::lock_guard<std::mutex> lock(places.mutex);
  auto name = places.names.find(call.place);
  if (name != places.names.end()) text += " on " + name->second;
  return text;
}

}  // namespace npbrowser
