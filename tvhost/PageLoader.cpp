#include "PageLoader.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Document.h"
#include "ScriptEngine.h"

namespace tvhost {

using namespace npbrowser;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string TagName(const GumboElement& element) {
  const char* known = gumbo_normalized_tagname(element.tag);
  if (known != nullptr && *known != '\0') return known;
  GumboStringPiece original = element.original_tag;
  gumbo_tag_from_original_text(&original);
  return Lower(std::string(original.data, original.length));
}

bool IsScriptType(const std::string* type) {
  if (type == nullptr) return true;
  std::string lower = Lower(*type);
  return lower.empty() || lower == "text/javascript" || lower == "application/javascript" ||
         lower == "application/x-javascript";
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool ReadFile(const std::string& path, std::string* content, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  *content = text.str();
  return true;
}

// One walk over a parsed page.
struct PageLoader::Walk {
  PageLoader& loader;
  std::string pagePath;
  std::string error;

  bool Visit(const GumboNode* node) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) return true;
    if (loader.m_stopped()) return true;
    const GumboElement& parsed = node->v.element;
    Element element{TagName(parsed), {}};
    for (unsigned i = 0; i < parsed.attributes.length; ++i) {
      auto* attribute = static_cast<const GumboAttribute*>(parsed.attributes.data[i]);
      element.attributes.emplace_back(attribute->name, attribute->value);
    }
    const Element& added = loader.m_document.Add(std::move(element));
    if (added.tag == "script" && !RunScript(parsed, added)) return false;
    if (added.tag == "object") loader.m_onObject(added);
    for (unsigned i = 0; i < parsed.children.length; ++i) {
      if (!Visit(static_cast<const GumboNode*>(parsed.children.data[i]))) return false;
    }
    return true;
  }

  bool RunScript(const GumboElement& parsed, const Element& script) {
    if (!IsScriptType(script.Attribute("type")) || loader.m_stopped()) return true;
    const std::string* src = script.Attribute("src");
    if (src != nullptr) {
      std::string path = (*src)[0] == '/' ? *src : DirectoryOf(pagePath) + *src;
      std::string code;
      if (!ReadFile(path, &code, &error)) {
        error = "cannot load script " + path + ": " + error;
        return false;
      }
      loader.m_engine.Evaluate(code, path, 1, nullptr, nullptr);
      return true;
    }
    std::string code;
    int line = 1;
    for (unsigned i = 0; i < parsed.children.length; ++i) {
      auto* child = static_cast<const GumboNode*>(parsed.children.data[i]);
      if (child->type != GUMBO_NODE_TEXT && child->type != GUMBO_NODE_CDATA) continue;
      if (code.empty()) line = static_cast<int>(child->v.text.start_pos.line);
      code += child->v.text.text;
    }
    loader.m_engine.Evaluate(code, pagePath, line, nullptr, nullptr);
    return true;
  }
};

PageLoader::PageLoader(Document& document, ScriptEngine& engine, ObjectHandler onObject,
                       StopCheck stopped)
    : m_document(document),
      m_engine(engine),
      m_onObject(std::move(onObject)),
      m_stopped(std::move(stopped)) {}

bool PageLoader::Load(const std::string& pagePath, const std::string& html,
                      std::string* error) {
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(),
                                                 html.size());
  Walk walk{*this, pagePath, {}};
  bool loaded = walk.Visit(output->root);
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  if (!loaded) *error = walk.error;
  return loaded;
}

}  // namespace tvhost
