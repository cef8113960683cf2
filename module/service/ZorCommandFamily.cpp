// Number formatting and tagged-result reading shared by both service
// connections.
#include "service/ZorCommandFamily.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace NSPlRuvoAVObject {

namespace {

bool HasTag(const std::string& result, char tag) {
  return !result.empty() && result[0] == tag;
}

}  // namespace

std::string IntegerText(int value) {
  char text[100] = {};
  snprintf(text, sizeof text, "%d", value);
  return text;
}

int32_t ParseDecimal(const char* text) {
  if (text == nullptr) return 0;
  const long value = strtol(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int ReadIntegerResult(const std::string& result, int* value) {
  if (value == nullptr || !HasTag(result, 'I')) return 0;
  *value = ParseDecimal(result.c_str() + 1);
  return 1;
}

int ReadTextResult(const std::string& result, std::string& text) {
  if (!HasTag(result, 'A')) return 0;
  text.assign(result, 1, std::string::npos);
  return 1;
}

int ReadTextResult(const std::string& result, char* buffer) {
  if (buffer == nullptr || !HasTag(result, 'A')) return 0;
  memcpy(buffer, result.data() + 1, result.size() - 1);
  buffer[result.size() - 1] = '\0';
  return 1;
}

int IsErrorResult(const std::string& result) { return HasTag(result, 'E') ? 1 : 0; }

bool IsAcceptedResult(const std::string& result) {
  int value = 0;
  ReadIntegerResult(result, &value);
  return value == 1;
}

}  // namespace NSPlRuvoAVObject
