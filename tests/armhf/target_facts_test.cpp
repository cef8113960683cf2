// Facts about the machine the module runs on that the code relies on. The
// compile-time ones fail the build; the run-time one checks what only a
// running program shows: how arguments really travel through varargs into
// the C library, as every log line of the module does.
#include <gtest/gtest.h>

#include <atomic>
#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "npfunctions.h"

namespace {

constexpr bool kIlp32 = sizeof(void*) == 4;

// The instance pointer the service thread reads while the main thread may
// clear it must not take a lock the main thread could block on.
static_assert(std::atomic<NPP>::is_always_lock_free, "std::atomic<NPP> must be lock-free");

// Linux data models, ILP32 on the TV and LP64 on the development machine:
// long is as wide as a pointer, which the layout pins hold at 4 or 8 bytes.
static_assert(sizeof(long) == sizeof(void*), "long is pointer-sized on Linux");
static_assert(sizeof(int) == 4 && sizeof(long long) == 8, "int, long long");

#if defined(__arm__)
// The TV: 32-bit ARM, little-endian, hard-float EABI.
static_assert(kIlp32, "ARM build must be ILP32");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian");
#if !defined(__ARM_EABI__) || !defined(__ARM_PCS_VFP)
#error "the TV build must use the hard-float ARM EABI"
#endif
// EABI aligns 64-bit integers to 8, unlike i386 (doubles: the NPVariant pin).
static_assert(alignof(int64_t) == 8, "EABI alignment");
#endif

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return length < 0 ? std::string("<format error>") : std::string(buffer);
}

// On ARM EABI a 64-bit argument after a 32-bit one skips a register to start
// on an even pair, and variadic doubles travel in core registers even under
// the hard-float ABI: a mismatch anywhere shows up as garbage here.
TEST(TargetFacts, FormatsScalarsPassedThroughVarargs) {
  const std::pair<std::string, const char*> cases[] = {
      {Format("%" PRId64, INT64_MIN), "-9223372036854775808"},
      {Format("%d %" PRId64 " %d", 7, int64_t{1} << 40, -3), "7 1099511627776 -3"},
      {Format("%ld", LONG_MIN), kIlp32 ? "-2147483648" : "-9223372036854775808"},
      {Format("%zu", SIZE_MAX), kIlp32 ? "4294967295" : "18446744073709551615"},
      {Format("%d %.3f %d", 1, 1234.5, 2), "1 1234.500 2"},
      {Format("%" PRId64 " %.1f", INT64_C(-1), -0.5), "-1 -0.5"},
  };
  for (const auto& [formatted, expected] : cases) EXPECT_EQ(formatted, expected);
}

}  // namespace
