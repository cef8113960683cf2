// Page-callback deliveries waiting for the browser's main thread. They
// belong to the module, not to the browser's queue: the browser is handed
// only a token, so a call it drops leaks nothing, and a call it runs after
// the AV object is gone finds nothing and does nothing.
#ifndef SERVICE_ASYNCDELIVERY_H
#define SERVICE_ASYNCDELIVERY_H

#include <string>

#include "npruntime.h"
#include "service/ZorBase.h"

namespace NSPlRuvoAVObject {

// One scheduled delivery.
struct stAsyncEventParam {
  CZorBase* owner;
  eCallbackKind kind;
  std::string param1;
  std::string param2;
  CallbackOrigin origin;
};

// Queues `delivery` for `npp` through the browser. False, with nothing
// queued, when there is no instance handle yet, when the browser offers no
// asynchronous call (logged), or when the delivery could not be stored.
bool ScheduleDelivery(NPP npp, stAsyncEventParam delivery);

// Drops every delivery still pending for `owner`. Main thread.
void CancelDeliveries(const CZorBase* owner);

// Calls a registered function object with two string arguments. Dropped,
// with a log line, when the browser offers no NPN_InvokeDefault or cannot
// allocate the arguments.
void Player_AsyncEvent(NPP npp, NPObject* function, const std::string& param1,
                       const std::string& param2);

// Evaluates a call of the named global function with two string literals.
void Player_AsyncEvent_str(NPP npp, const char* funcName,
                           const std::string& param1,
                           const std::string& param2);

// The script text `name("param1","param2");`, each parameter written as the
// content of a JavaScript string literal that no text can end early: `\`,
// `"`, the C0 and C1 control characters, DEL, U+2028 and U+2029 are
// escaped, and everything else is copied byte for byte.
std::string BuildCallScript(const char* funcName, const std::string& param1,
                            const std::string& param2);

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ASYNCDELIVERY_H
