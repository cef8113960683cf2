// The elements of the page as parsing reaches them, in document order.
#ifndef TVHOST_DOCUMENT_H
#define TVHOST_DOCUMENT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Element.h"

namespace tvhost {

using npbrowser::Element;

class Document {
 public:
  // The element stays at the same address for the document's life.
  Element& Add(Element element);
  // The first element with this id, or null.
  const Element* ById(const std::string& id) const;
  std::vector<const Element*> ByTag(const std::string& tag) const;

 private:
  std::vector<std::unique_ptr<Element>> m_elements;
};

}  // namespace tvhost

#endif  // TVHOST_DOCUMENT_H
