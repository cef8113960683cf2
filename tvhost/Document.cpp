#include "Document.h"

#include <algorithm>
#include <cctype>

namespace tvhost {

Element& Document::Add(Element element) {
  m_elements.push_back(std::make_unique<Element>(std::move(element)));
  return *m_elements.back();
}

const Element* Document::ById(const std::string& id) const {
  for (const auto& element : m_elements) {
    const std::string* value = element->Attribute("id");
    if (value != nullptr && *value == id) return element.get();
  }
  return nullptr;
}

std::vector<const Element*> Document::ByTag(const std::string& tag) const {
  std::string wanted = tag;
  std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  std::vector<const Element*> found;
  for (const auto& element : m_elements) {
    if (wanted == "*" || element->tag == wanted) found.push_back(element.get());
  }
  return found;
}

}  // namespace tvhost
