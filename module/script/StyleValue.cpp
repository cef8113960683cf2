// The style-text value reader.
#include "script/StyleValue.h"

#include <cstring>
#include <string>

#include "script/NumberConversion.h"

namespace script {

namespace {
constexpr char kPixelUnit[] = "px";
}  // namespace

void ReadStyleValue(const char* style, const char* key, int32_t* member) {
  const char* found = strstr(style, key);
  const char* colon = found != nullptr ? strchr(found, ':') : nullptr;
  if (colon == nullptr) {
    *member = 0;
    return;
  }
  const char* valueStart = colon + 1;
  const char* unit = strstr(valueStart, kPixelUnit);
  if (unit == valueStart) return;
  const std::string valueText =
      unit != nullptr ? std::string(valueStart, unit) : std::string(valueStart);
  *member = ParseDecimal(valueText.c_str());
}

}  // namespace script
