// NPIdentifiers: interned for the life of the process, so the same name or
// number always yields the same pointer. Thread-safe.
#ifndef NPBROWSER_IDENTIFIERS_H
#define NPBROWSER_IDENTIFIERS_H

#include <cstdint>
#include <string>

#include "npruntime.h"

namespace npbrowser {

NPIdentifier StringIdentifier(const std::string& name);
NPIdentifier IntIdentifier(int32_t value);
bool IdentifierIsString(NPIdentifier id);
// The name of a string identifier; an integer identifier gives its digits.
std::string IdentifierName(NPIdentifier id);
int32_t IdentifierInt(NPIdentifier id);
// A property name as script sees it: array indexes become integer
// identifiers, as browsers pass them.
NPIdentifier IdentifierForPropertyName(const std::string& name);

}  // namespace npbrowser

#endif  // NPBROWSER_IDENTIFIERS_H
