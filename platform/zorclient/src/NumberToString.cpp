#include <string>

#include "zor/ZorPluginWrapper.h"

// std::to_string covers the whole int range, INT_MIN included, without a
// locale's digit grouping.
void CNumberToString::NumberToString(std::string& out, int value) {
  out = std::to_string(value);
}
