// Wrappers around a service for tests that write each command into the
// transcript; one also floods every connection with events.
#ifndef TESTS_SUPPORT_TESTSERVICES_H
#define TESTS_SUPPORT_TESTSERVICES_H

#include <memory>
#include <vector>

#include "zor/ServiceRegistry.h"

namespace testbrowser {

// Records each command as "> Name p1|p2|..." before `inner` answers it.
std::shared_ptr<zor::Service> Recording(std::shared_ptr<zor::Service> inner);

// Also sends events of `types`, in turn, on every connection from the
// moment it is accepted until it is closed or `perConnection` were sent, as
// fast as the client takes them: for objects built and destroyed under fire.
std::shared_ptr<zor::Service> Flooding(std::shared_ptr<zor::Service> inner,
                                       std::vector<int> types, int perConnection);

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_TESTSERVICES_H
