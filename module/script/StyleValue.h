// Reads one length out of an element's style text. This is a plain text
// search, not a CSS parser: pages on the TV write their video elements'
// geometry as "left:100px;top:50px;..." and nothing more is needed.
#ifndef SCRIPT_STYLEVALUE_H
#define SCRIPT_STYLEVALUE_H

#include <cstdint>

namespace script {

// Applies the value of `key` in `style` to `member`:
// - the first occurrence of `key` anywhere in the text (case-sensitive, also
//   inside a longer property name), then the first ":" after it; without
//   either, `member` becomes 0;
// - when "px" directly follows the ":", `member` stays as it is;
// - otherwise the text after the ":" up to the next "px" (or the end) is
//   read as a decimal integer, as strtol reads it.
void ReadStyleValue(const char* style, const char* key, int32_t* member);

}  // namespace script

#endif  // SCRIPT_STYLEVALUE_H
