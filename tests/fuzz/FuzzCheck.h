// The oracle's verdict: a disagreement prints what was expected and aborts,
// which libFuzzer reports as a crash and keeps the input.
#ifndef TESTS_FUZZ_FUZZCHECK_H
#define TESTS_FUZZ_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                         \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::fprintf(stderr, "oracle failed at %s:%d: %s: ", __FILE__,       \
                   __LINE__, #condition);                                  \
      std::fprintf(stderr, __VA_ARGS__);                                   \
      std::fprintf(stderr, "\n");                                          \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

#endif  // TESTS_FUZZ_FUZZCHECK_H
