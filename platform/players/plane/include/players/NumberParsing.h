// Numbers as commands carry them: decimal text, the whole text a number.
#ifndef PLAYERS_NUMBERPARSING_H
#define PLAYERS_NUMBERPARSING_H

#include <cstdint>
#include <optional>
#include <string>

namespace players {

// A whole decimal number within int64; nothing for empty text, trailing
// characters or overflow.
std::optional<int64_t> ParseInteger(const std::string& text);

// A finite decimal number; nothing otherwise (no "inf", "nan" or hex).
std::optional<double> ParseDecimal(const std::string& text);

}  // namespace players

#endif  // PLAYERS_NUMBERPARSING_H
