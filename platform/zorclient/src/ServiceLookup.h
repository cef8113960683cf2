// The registry's inside view, for opening connections.
#ifndef ZORCLIENT_SERVICELOOKUP_H
#define ZORCLIENT_SERVICELOOKUP_H

#include <memory>
#include <string>

#include "zor/ServiceRegistry.h"

namespace zor {

// The service registered under `name`, or null. The caller's reference
// keeps the service alive even if it is unregistered meanwhile.
std::shared_ptr<Service> FindService(const std::string& name);

}  // namespace zor

#endif  // ZORCLIENT_SERVICELOOKUP_H
