// A plug-in element as the browser found it in the page: its tag and its
// attributes in document order, which become NPP_New's arguments.
#ifndef NPBROWSER_ELEMENT_H
#define NPBROWSER_ELEMENT_H

#include <string>
#include <utility>
#include <vector>

namespace npbrowser {

struct Element {
  std::string tag;  // lower case
  std::vector<std::pair<std::string, std::string>> attributes;  // in order

  // Null when the element has no such attribute.
  const std::string* Attribute(const std::string& name) const;
};

}  // namespace npbrowser

#endif  // NPBROWSER_ELEMENT_H
