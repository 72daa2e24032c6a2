#pragma once

#include <cstddef>
#include <string_view>

#include "export/code_page.h"

// Offset of the first occurrence of `needle` in `haystack`, byte by byte; npos when none.
std::size_t FindBytes(std::string_view haystack, std::string_view needle);

// True when `text` is valid UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Substring search within one line that follows the code page's character boundaries: a match
// never begins on the byte behind a lead byte. The line ends at its first zero byte.
// A line that is valid UTF-8 is searched byte by byte whatever the code page, since a UTF-8
// match can never begin inside a character; a line that is not follows the code page.
class LineSearch {
 public:
  LineSearch(std::string_view line, const CodePage& codePage);

  // Byte offset of the first match, or -1 when there is none.
  std::ptrdiff_t Find(std::string_view pattern) const;

 private:
  bool StartsCharacter(std::size_t offset) const;
  bool IsUtf8() const;

  std::string_view line_;
  const CodePage& codePage_;
  mutable signed char utf8_ = -1;  // -1 not yet known, else 0 or 1
};
