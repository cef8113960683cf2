#include "Element.h"

namespace npbrowser {

const std::string* Element::Attribute(const std::string& name) const {
  for (const auto& attribute : attributes) {
    if (attribute.first == name) return &attribute.second;
  }
  return nullptr;
}

}  // namespace npbrowser
