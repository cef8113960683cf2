#include "ProgramName.h"

namespace npbrowser {

namespace {

std::string& Prefix() {
  static std::string prefix = "npbrowser: ";
  return prefix;
}

}  // namespace

void SetProgramName(const std::string& name) { Prefix() = name + ": "; }

const std::string& MessagePrefix() { return Prefix(); }

}  // namespace npbrowser
