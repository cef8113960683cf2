// Page script as the browser runs it against a plug-in element: every call
// goes through the element's NPClass, and every result is released as the
// browser would.
#ifndef TESTS_MODULE_PAGESCRIPT_H
#define TESTS_MODULE_PAGESCRIPT_H

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TestBrowser.h"
#include "npfunctions.h"

namespace plugintest {

// Script values. Strings point at the caller's text: arguments belong to the
// browser and are never released by the plug-in.
inline NPVariant Int(int32_t v) {
  NPVariant r;
  r.type = NPVariantType_Int32;
  r.value.intValue = v;
  return r;
}
inline NPVariant Double(double v) {
  NPVariant r;
  r.type = NPVariantType_Double;
  r.value.doubleValue = v;
  return r;
}
inline NPVariant Bool(bool v) {
  NPVariant r;
  r.type = NPVariantType_Bool;
  r.value.boolValue = v;
  return r;
}
inline NPVariant Null() {
  NPVariant r;
  r.type = NPVariantType_Null;
  return r;
}
inline NPVariant Void() {
  NPVariant r;
  r.type = NPVariantType_Void;
  return r;
}
inline NPVariant Object(NPObject* o) {
  NPVariant r;
  r.type = NPVariantType_Object;
  r.value.objectValue = o;
  return r;
}
inline NPVariant String(const char* text) {
  NPVariant r;
  r.type = NPVariantType_String;
  r.value.stringValue = {text, static_cast<uint32_t>(strlen(text))};
  return r;
}

// How a result reads in a test's expectations.
inline std::string ObjectText(NPObject* object) {
  char text[40];
  snprintf(text, sizeof text, "object:%p", static_cast<void*>(object));
  return text;
}

class PageScript {
 public:
  PageScript(testbrowser::TestBrowser& browser, NPObject* element)
      : m_browser(browser), m_element(element) {}

  NPIdentifier Id(const std::string& name) {
    return m_browser.Table().getstringidentifier(name.c_str());
  }
  bool HasMethod(const std::string& name) {
    return m_element->_class->hasMethod(m_element, Id(name));
  }
  bool HasProperty(const std::string& name) {
    return m_element->_class->hasProperty(m_element, Id(name));
  }

  // "false" when the operation failed; otherwise the result as "void",
  // "null", "int:N", "bool:B", "double:D", "str:TEXT" or "object:ADDRESS".
  std::string Invoke(const std::string& method, std::vector<NPVariant> args = {}) {
    NPVariant result = Void();
    const bool ok = m_element->_class->invoke(m_element, Id(method), args.data(),
                                              static_cast<uint32_t>(args.size()), &result);
    return Outcome(ok, result);
  }
  std::string InvokeDefault(std::vector<NPVariant> args = {}) {
    NPVariant result = Void();
    const bool ok = m_element->_class->invokeDefault(m_element, args.data(),
                                                     static_cast<uint32_t>(args.size()), &result);
    return Outcome(ok, result);
  }
  std::string Get(const std::string& property) {
    NPVariant result = Int(-12345);  // must be overwritten on success
    const bool ok = m_element->_class->getProperty(m_element, Id(property), &result);
    return Outcome(ok, result);
  }
  bool Set(const std::string& property, const NPVariant& value) {
    return m_element->_class->setProperty(m_element, Id(property), &value);
  }

 private:
  std::string Outcome(bool ok, NPVariant& result) {
    if (!ok) return "false";
    std::string text;
    switch (result.type) {
      case NPVariantType_Void:
        text = "void";
        break;
      case NPVariantType_Null:
        text = "null";
        break;
      case NPVariantType_Bool:
        text = result.value.boolValue ? "bool:1" : "bool:0";
        break;
      case NPVariantType_Int32:
        text = "int:" + std::to_string(result.value.intValue);
        break;
      case NPVariantType_Double:
        text = "double:" + std::to_string(result.value.doubleValue);
        break;
      case NPVariantType_String:
        text = "str:" + std::string(result.value.stringValue.UTF8Characters,
                                    result.value.stringValue.UTF8Length);
        break;
      case NPVariantType_Object:
        text = ObjectText(result.value.objectValue);
        break;
    }
    m_browser.Table().releasevariantvalue(&result);
    return text;
  }

  testbrowser::TestBrowser& m_browser;
  NPObject* m_element;
};

}  // namespace plugintest

#endif  // TESTS_MODULE_PAGESCRIPT_H
