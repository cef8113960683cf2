#include "players/NumberParsing.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace players {

namespace {

// strtoll and strtod skip leading blanks; a command's number has none.
bool StartsLikeANumber(const std::string& text) {
  if (text.empty()) return false;
  const char first = text[0];
  return first == '-' || first == '+' || first == '.' || (first >= '0' && first <= '9');
}

}  // namespace

std::optional<int64_t> ParseInteger(const std::string& text) {
  if (!StartsLikeANumber(text)) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0') return std::nullopt;
  return static_cast<int64_t>(value);
}

std::optional<double> ParseDecimal(const std::string& text) {
  if (!StartsLikeANumber(text)) return std::nullopt;
  if (text.find_first_of("xXpP") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno == ERANGE || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace players
