// Loads a page as a browser parses it: the HTML is parsed with gumbo and
// walked in document order; each element joins the document when the walk
// reaches it, scripts run in order, and <object> elements are handed to the
// host to become plug-in instances.
#ifndef TVHOST_PAGELOADER_H
#define TVHOST_PAGELOADER_H

#include <functional>
#include <string>

namespace npbrowser {
class ScriptEngine;
struct Element;
}  // namespace npbrowser

namespace tvhost {

class Document;
using npbrowser::Element;
using npbrowser::ScriptEngine;

class PageLoader {
 public:
  using ObjectHandler = std::function<void(const Element& object)>;
  using StopCheck = std::function<bool()>;

  PageLoader(Document& document, ScriptEngine& engine, ObjectHandler onObject,
             StopCheck stopped);

  // Walks the page `html` read from `pagePath`. False with `error` set when
  // one of its scripts cannot be read. Script errors are the engine's to
  // report; the walk ends once `stopped` says so.
  bool Load(const std::string& pagePath, const std::string& html, std::string* error);

 private:
  struct Walk;

  Document& m_document;
  ScriptEngine& m_engine;
  ObjectHandler m_onObject;
  StopCheck m_stopped;
};

// The whole file, or false with `error` set to the reason.
bool ReadFile(const std::string& path, std::string* content, std::string* error);

}  // namespace tvhost

#endif  // TVHOST_PAGELOADER_H
