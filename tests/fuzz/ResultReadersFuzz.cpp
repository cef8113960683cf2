// Any bytes as a service's answer: the result readers both connections
// share (their family's static members read alike for every record type),
// and the decimal reader: the tag alone decides which reader takes
// the result, the others leave their output untouched, text keeps every byte
// and the integer is the C library's saturated decimal.
#include <cstring>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "service/ZorCommandFamily.h"

struct _NPPluginObjInfo;

namespace {

using Family = NSPlRuvoAVObject::CZorCommandFamily<_NPPluginObjInfo>;

void CheckReaders(std::string result) {
  const char tag = result.empty() ? '\0' : result[0];
  const std::string rest = result.empty() ? "" : result.substr(1);

  int value = -7;
  const int isInteger = Family::GetInteger(result, &value);
  FUZZ_CHECK(isInteger == (tag == 'I'), "integer tag of %zu bytes", result.size());
  FUZZ_CHECK(value == (tag == 'I' ? SaturatedDecimal(rest) : -7), "integer %d", value);

  std::string text = "untouched";
  FUZZ_CHECK(Family::GetASCII(result, text) == (tag == 'A'), "text tag");
  FUZZ_CHECK(text == (tag == 'A' ? rest : "untouched"), "text of %zu bytes", text.size());

  // Exactly the room the reader's contract asks for, so that one byte
  // more is an overflow the address sanitizer sees.
  const size_t room = result.empty() ? 1 : result.size();
  auto buffer = std::make_unique<char[]>(room);
  buffer[0] = 'u';
  FUZZ_CHECK(Family::GetASCII(result, buffer.get()) == (tag == 'A'), "buffer tag");
  if (tag == 'A') {
    FUZZ_CHECK(std::memcmp(buffer.get(), rest.data(), rest.size()) == 0 &&
                   buffer[rest.size()] == '\0',
               "buffer text");
  } else {
    FUZZ_CHECK(buffer[0] == 'u', "buffer written without the tag");
  }
  FUZZ_CHECK(Family::IsError(result) == (tag == 'E'), "error tag");
  FUZZ_CHECK(NSPlRuvoAVObject::IsAcceptedResult(result) ==
                 (tag == 'I' && SaturatedDecimal(rest) == 1),
             "accepted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckReaders(bytes);
  FUZZ_CHECK(NSPlRuvoAVObject::ParseDecimal(bytes.c_str()) == SaturatedDecimal(bytes),
             "decimal");
  return 0;
}
