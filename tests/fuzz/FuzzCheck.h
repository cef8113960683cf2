// The oracle's verdict: a disagreement prints what was expected and aborts,
// which libFuzzer reports as a crash and keeps the input.
#ifndef TESTS_FUZZ_FUZZCHECK_H
#define TESTS_FUZZ_FUZZCHECK_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, ...)                                                         \
  do {                                                                                     \
    if (condition) break;                                                                  \
    std::fprintf(stderr, "oracle failed at %s:%d: %s: ", __FILE__, __LINE__, #condition);  \
    std::fprintf(stderr, __VA_ARGS__);                                                     \
    std::fprintf(stderr, "\n");                                                            \
    std::abort();                                                                          \
  } while (0)

// Decimal text as the C library reads it into 64 bits, up to the first NUL,
// saturated to 32: the reading the module owes on every processor, where
// its own reader has a 32-bit long on the TV.
inline int32_t SaturatedDecimal(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

#endif  // TESTS_FUZZ_FUZZCHECK_H
