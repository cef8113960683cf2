// The command family and tagged-result readers that both service
// connections offer. `InfoT` is the connection's opaque per-call record,
// which no command reads.
#ifndef SERVICE_ZORCOMMANDFAMILY_H
#define SERVICE_ZORCOMMANDFAMILY_H

#include <cstdint>
#include <string>
#include <utility>

#include "zor/ZorPluginWrapper.h"

namespace NSPlRuvoAVObject {

// Decimal text of `value`, as the player service reads integers.
std::string IntegerText(int value);

// Decimal text as strtol reads it in base 10 (leading blanks, a sign,
// digits up to the first other character; none give 0), saturated to the
// signed 32-bit range as on the TV's 32-bit processor. Null reads 0.
int32_t ParseDecimal(const char* text);

// Tagged results: "I" and a decimal integer, "A" and text, "E" an error.
// Each reader returns 1 when the result carries its tag and otherwise 0,
// leaving its output untouched.
int ReadIntegerResult(const std::string& result, int* value);
int ReadTextResult(const std::string& result, std::string& text);
// The buffer must hold the text and its NUL; there is no length limit.
int ReadTextResult(const std::string& result, char* buffer);
int IsErrorResult(const std::string& result);
// A command counts as accepted only when its answer is the integer 1.
bool IsAcceptedResult(const std::string& result);

template <typename InfoT>
class CZorCommandFamily : public zor::CZorPluginWrapper {
 public:
  using zor::CZorPluginWrapper::CZorPluginWrapper;

  // Each sends one command and returns the service's result unchanged.
  std::string Execute(std::string command, std::string a1, std::string a2,
                      std::string a3, std::string a4) {
    return zor::CZorPluginWrapper::Execute(std::move(command), std::move(a1),
                                           std::move(a2), std::move(a3),
                                           std::move(a4));
  }
  std::string Execute(InfoT*, std::string command, std::string a1,
                      std::string a2, std::string a3, std::string a4) {
    return Execute(std::move(command), std::move(a1), std::move(a2),
                   std::move(a3), std::move(a4));
  }
  std::string Execute(InfoT*, std::string command, int a1, std::string a2,
                      int a3, int a4) {
    std::string t1 = IntegerText(a1), t3 = IntegerText(a3),
                t4 = IntegerText(a4);
    return Execute(std::move(command), t1, std::move(a2), t3, t4);
  }
  std::string Execute(InfoT*, std::string command, std::string a1, int a2,
                      int a3, int a4) {
    std::string t2 = IntegerText(a2), t3 = IntegerText(a3),
                t4 = IntegerText(a4);
    return Execute(std::move(command), std::move(a1), t2, t3, t4);
  }
  std::string Execute(InfoT*, std::string command, int a1, int a2, int a3,
                      int a4) {
    return Execute(std::move(command), IntegerText(a1), IntegerText(a2),
                   IntegerText(a3), IntegerText(a4));
  }
  std::string ExecuteWithTenParameters(std::string command, std::string a1,
                                       std::string a2, std::string a3,
                                       std::string a4, std::string a5,
                                       std::string a6, std::string a7,
                                       std::string a8, std::string a9,
                                       std::string a10) {
    return zor::CZorPluginWrapper::Execute(
        std::move(command), std::move(a1), std::move(a2), std::move(a3),
        std::move(a4), std::move(a5), std::move(a6), std::move(a7),
        std::move(a8), std::move(a9), std::move(a10));
  }
  std::string ExecuteWithTenParameters(InfoT*, std::string command,
                                       std::string a1, std::string a2,
                                       std::string a3, std::string a4,
                                       std::string a5, std::string a6,
                                       std::string a7, std::string a8,
                                       std::string a9, std::string a10) {
    return ExecuteWithTenParameters(
        std::move(command), std::move(a1), std::move(a2), std::move(a3),
        std::move(a4), std::move(a5), std::move(a6), std::move(a7),
        std::move(a8), std::move(a9), std::move(a10));
  }

  static int GetInteger(std::string& result, int* value) {
    return ReadIntegerResult(result, value);
  }
  static int GetASCII(std::string& result, std::string& text) {
    return ReadTextResult(result, text);
  }
  static int GetASCII(std::string& result, char* buffer) {
    return ReadTextResult(result, buffer);
  }
  static int IsError(std::string& result) { return IsErrorResult(result); }
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ZORCOMMANDFAMILY_H
