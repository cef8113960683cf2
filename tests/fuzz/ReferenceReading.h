// Reference readings that the fuzz oracles compare the module against,
// written from the rules rather than from the module's code.
#ifndef TESTS_FUZZ_REFERENCEREADING_H
#define TESTS_FUZZ_REFERENCEREADING_H

#include <cstdint>
#include <optional>
#include <string>

namespace reference {

// Decimal text as strtol reads it in base 10, up to the first NUL: blanks
// of the C locale, one sign, digits; the value saturated to 32 bits.
inline int32_t Decimal(const std::string& bytes) {
  size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < bytes.size() && blank(bytes[i])) ++i;
  bool negative = false;
  if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) negative = bytes[i++] == '-';
  int64_t magnitude = 0;
  for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (bytes[i] - '0');
    if (magnitude > (int64_t{1} << 32)) magnitude = int64_t{1} << 32;  // saturated
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// UTF-16 of strictly valid UTF-8 (no overlong forms, no surrogates, nothing
// past U+10FFFF); nothing for any other bytes.
inline std::optional<std::u16string> Utf16OfUtf8(const std::string& bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    uint32_t code = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c >> 6) != 2) return std::nullopt;
      code = (code << 6) | (c & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return std::nullopt;
    }
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += length;
  }
  return out;
}

}  // namespace reference

#endif  // TESTS_FUZZ_REFERENCEREADING_H
