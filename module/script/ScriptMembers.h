// The script interface of the AV object as one table: every script name with
// its identifier and the handlers that serve it.
#ifndef SCRIPT_SCRIPTMEMBERS_H
#define SCRIPT_SCRIPTMEMBERS_H

#include <cstdint>

#include "npruntime.h"

class CPlugin;
namespace NSPlRuvoAVObject {
class CPlRuvoAVObject;
}

namespace script {

// What a handler works on: the element's instance and its AV object, both
// known to exist.
struct ScriptTarget {
  CPlugin& plugin;
  NSPlRuvoAVObject::CPlRuvoAVObject& av;
};

using MethodHandler = bool (*)(ScriptTarget& target, const NPVariant* args, uint32_t argCount,
                               NPVariant* result);
using GetterHandler = bool (*)(ScriptTarget& target, NPVariant* result);
using SetterHandler = bool (*)(ScriptTarget& target, const NPVariant& value);

// A method has `invoke`; a property has `get`, `set` or both.
struct ScriptMember {
  enum Kind { kMethod, kProperty };
  const char* name;
  NPIdentifier* identifier;
  Kind kind;
  MethodHandler invoke;
  GetterHandler get;
  SetterHandler set;
};

// Asks the browser for every identifier again, in the table's order.
void CreateScriptIdentifiers();

// The member whose identifier is `name`; null for any other name.
const ScriptMember* FindScriptMember(NPIdentifier name);

}  // namespace script

#endif  // SCRIPT_SCRIPTMEMBERS_H
