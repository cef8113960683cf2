// Scheduling page callbacks onto the browser's main thread, and running
// them there.
#include "service/AsyncDelivery.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

#include "host/np_log.h"

namespace NSPlRuvoAVObject {

namespace {

constexpr char kLogSource[] = "ZorBase";

// Pending deliveries by token. The token is what the browser carries.
class PendingDeliveries {
 public:
  uintptr_t Add(stAsyncEventParam delivery) {
    std::lock_guard<std::mutex> lock(m_mutex);
    uintptr_t token = m_nextToken++;
    if (m_nextToken == 0) m_nextToken = 1;  // 0 is never a token
    m_pending.emplace(token, std::move(delivery));
    return token;
  }

  bool Take(uintptr_t token, stAsyncEventParam* delivery) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_pending.find(token);
    if (it == m_pending.end()) return false;
    *delivery = std::move(it->second);
    m_pending.erase(it);
    return true;
  }

  void RemoveOwner(const CZorBase* owner) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
      it = it->second.owner == owner ? m_pending.erase(it) : std::next(it);
    }
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<uintptr_t, stAsyncEventParam> m_pending;
  uintptr_t m_nextToken = 1;
};

PendingDeliveries& Pending() {
  static PendingDeliveries pending;
  return pending;
}

// What the browser runs on its main thread for one token.
void RunDelivery(void* token) {
  try {
    stAsyncEventParam delivery;
    if (!Pending().Take(reinterpret_cast<uintptr_t>(token), &delivery)) return;
    delivery.owner->Deliver(delivery.kind, delivery.param1, delivery.param2,
                            delivery.origin);
  } catch (...) {
    // Out of memory, or a browser function that threw: this callback is
    // lost, and nothing is thrown into the browser's loop.
  }
}

// A string variant whose text the browser may release with NPN_MemFree.
bool MakeStringVariant(const std::string& text, NPVariant* variant) {
  variant->type = NPVariantType_Void;
  char* copy = static_cast<char*>(NPNFuncs.memalloc(text.size() + 1));
  if (copy == nullptr) return false;
  memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  variant->type = NPVariantType_String;
  variant->value.stringValue.UTF8Characters = copy;
  variant->value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
  return true;
}

// Appends `\uXXXX` for one UTF-16 code unit.
void AppendUnicodeEscape(std::string& script, unsigned code) {
  char escape[7];
  snprintf(escape, sizeof escape, "\\u%04X", code);
  script += escape;
}

// The length of the UTF-8 sequence at `i` that must be escaped (a C1
// control character, U+2028 or U+2029, which end a line in some engines),
// with its code point; 0 for anything else.
size_t EscapedSequenceAt(const std::string& text, size_t i, unsigned* code) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  if (byte(i) == 0xC2 && i + 1 < text.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) {
    *code = byte(i + 1);
    return 2;
  }
  if (byte(i) == 0xE2 && i + 2 < text.size() && byte(i + 1) == 0x80 &&
      (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9)) {
    *code = 0x2000 + (byte(i + 2) - 0x80);
    return 3;
  }
  return 0;
}

void AppendEscaped(std::string& script, const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned code = 0;
    if (c == '\\' || c == '"') {
      script += '\\';
      script += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      AppendUnicodeEscape(script, c);
      ++i;
    } else if (size_t length = EscapedSequenceAt(text, i, &code)) {
      AppendUnicodeEscape(script, code);
      i += length;
    } else {
      script += static_cast<char>(c);
      ++i;
    }
  }
}

}  // namespace

bool ScheduleDelivery(NPP npp, stAsyncEventParam delivery) {
  NPN_PluginThreadAsyncCallProcPtr asyncCall = NPNFuncs.pluginthreadasynccall;
  if (npp == nullptr) return false;
  if (asyncCall == nullptr) {
    // This line names no callback, so the service thread may write it too.
    NPLOG_AS("PluginCall", nplog::kFailure,
             " Callback dropped: the browser offers no NPN_PluginThreadAsyncCall");
    return false;
  }
  uintptr_t token;
  try {
    token = Pending().Add(std::move(delivery));
  } catch (const std::bad_alloc&) {
    return false;
  }
  asyncCall(npp, RunDelivery, reinterpret_cast<void*>(token));
  return true;
}

void CancelDeliveries(const CZorBase* owner) { Pending().RemoveOwner(owner); }

std::string BuildCallScript(const char* funcName, const std::string& param1,
                            const std::string& param2) {
  std::string script = funcName;
  script += "(\"";
  AppendEscaped(script, param1);
  script += "\",\"";
  AppendEscaped(script, param2);
  script += "\");";
  return script;
}

void Player_AsyncEvent(NPP npp, NPObject* function, const std::string& param1,
                       const std::string& param2) {
  if (NPNFuncs.invokeDefault == nullptr) {
    NPLOG(nplog::kFailure, " Callback dropped: the browser offers no NPN_InvokeDefault");
    return;
  }
  NPVariant args[2];
  bool haveArgs = MakeStringVariant(param1, &args[0]);
  haveArgs = MakeStringVariant(param2, &args[1]) && haveArgs;
  NPVariant result;
  result.type = NPVariantType_Void;
  if (haveArgs) {
    // Our own reference keeps the function alive even if the page replaces
    // the registration, or destroys the element, during the call.
    NPNFuncs.retainobject(function);
    NPNFuncs.invokeDefault(npp, function, args, 2, &result);
    NPNFuncs.releaseobject(function);
  } else {
    NPLOG(nplog::kFailure, "MEMORY ALLOCATION FAILED!!!");
  }
  NPNFuncs.releasevariantvalue(&args[0]);
  NPNFuncs.releasevariantvalue(&args[1]);
  NPNFuncs.releasevariantvalue(&result);
}

void Player_AsyncEvent_str(NPP npp, const char* funcName,
                           const std::string& param1,
                           const std::string& param2) {
  NPLOG(nplog::kInfo, " Inside Player_AsyncEvent_str  = %s, param1=%s, param2=%s",
        funcName, param1.c_str(), param2.c_str());
  std::string script = BuildCallScript(funcName, param1, param2);
  char* text = static_cast<char*>(NPNFuncs.memalloc(script.size() + 1));
  if (text == nullptr) {
    NPLOG(nplog::kInfo, "MEMORY ALLOCATION FAILED!!!");
    return;
  }
  memcpy(text, script.c_str(), script.size() + 1);
  NPLOG(nplog::kInfo, "=======Value of script = %s", text);

  NPObject* window = nullptr;
  NPNFuncs.getvalue(npp, NPNVWindowNPObject, &window);
  NPString npScript{text, static_cast<uint32_t>(script.size())};
  NPVariant result;
  result.type = NPVariantType_Void;
  // Without a window object there is no page to evaluate in.
  bool evaluated =
      window != nullptr && NPNFuncs.evaluate(npp, window, &npScript, &result);
  NPNFuncs.memfree(text);
  NPLOG(nplog::kInfo, " NPNFuncs.evaluate ret = %d", evaluated ? 1 : 0);
  NPNFuncs.releasevariantvalue(&result);
  if (window != nullptr) NPNFuncs.releaseobject(window);
}

int CZorBase::PluginCall(eCallbackKind kind, std::string param1,
                         std::string param2, CallbackOrigin origin) {
  // On the main thread the registration may be read now; for a player
  // event these lines wait for the delivery.
  const bool onMainThread = origin == CallbackOrigin::kOwnOperation;
  if (onMainThread) LogRegistration(kind);
  const bool scheduled = ScheduleDelivery(
      mnpInstance, {this, kind, std::move(param1), std::move(param2), origin});
  if (onMainThread && scheduled) LogScheduled(kind);
  return 1;
}

void CZorBase::LogRegistration(eCallbackKind kind) {
  const bool stateChange = kind == eCALLBACK_PLAY_STATE_CHANGE;
  NPObject* function = stateChange ? monPlayStateChangeObj : monUpdateProgressObj;
  const char* name = stateChange ? monPlayStateChangeName : monUpdateProgressName;
  NPLOG_AS("PluginCall", nplog::kInfo, " Callback is String= %s", name != nullptr ? name : "");
  NPLOG_AS("PluginCall", nplog::kInfo, " Callback is Function= %p", static_cast<void*>(function));
  if (function == nullptr && name != nullptr) {
    NPLOG_AS("PluginCall", nplog::kInfo, " Callback is String= %s", name);
  }
}

void CZorBase::LogScheduled(eCallbackKind kind) {
  const bool stateChange = kind == eCALLBACK_PLAY_STATE_CHANGE;
  if ((stateChange ? monPlayStateChangeObj : monUpdateProgressObj) != nullptr) {
    NPLOG_AS("PluginCall", nplog::kTrace, " Callback Player_AsyncEvent scheduled!!!");
  } else if ((stateChange ? monPlayStateChangeName : monUpdateProgressName) != nullptr) {
    NPLOG_AS("PluginCall", nplog::kTrace, " Callback Player_AsyncEvent_str scheduled!!!");
  }
}

void CZorBase::Deliver(eCallbackKind kind, const std::string& param1,
                       const std::string& param2, CallbackOrigin origin) {
  const bool stateChange = kind == eCALLBACK_PLAY_STATE_CHANGE;
  NPObject* function = stateChange ? monPlayStateChangeObj : monUpdateProgressObj;
  const char* name = stateChange ? monPlayStateChangeName : monUpdateProgressName;
  if (origin == CallbackOrigin::kPlayerEvent) {
    // What the event handler could not write on the service thread.
    const char* shownName = name != nullptr ? name : "";
    if (stateChange) {
      NPLOG_AS("OnEvent", nplog::kInfo, "[%s][%s][%s]", shownName, param1.c_str(),
               param2.c_str());
    } else {
      NPLOG_AS("OnEvent", nplog::kInfo, "function str:[%s], param1:[%s]\n", shownName,
               param1.c_str());
    }
    LogRegistration(kind);
    LogScheduled(kind);
  }
  NPP npp = mnpInstance;
  if (function != nullptr) {
    Player_AsyncEvent(npp, function, param1, param2);
  } else if (name != nullptr) {
    // The page may re-register the name during the evaluation: call with a
    // copy, never with the registration's own buffer.
    std::string nameCopy = name;
    Player_AsyncEvent_str(npp, nameCopy.c_str(), param1, param2);
  }
}

}  // namespace NSPlRuvoAVObject
