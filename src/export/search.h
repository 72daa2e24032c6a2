#pragma once

#include <cstddef>
#include <string_view>

#include "export/code_page.h"

// Offset of the first occurrence of `needle` in `haystack`, byte by byte; npos when none.
std::size_t FindBytes(std::string_view haystack, std::string_view needle);

// True when `text` is valid UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// True when a character of `line` begins at `offset` under the code page: the bytes in front of
// it do not leave a lead byte waiting for its second byte. Always true without lead bytes.
bool StartsCharacter(std::string_view line, std::size_t offset, const CodePage& codePage);

// Substring search within one line that follows the code page's character boundaries: a match
// never begins on the byte behind a lead byte. The line ends at its first zero byte.
// A line that is valid UTF-8 is searched byte by byte whatever the code page, since a UTF-8
// match can never begin inside a character; a line that is not follows the code page.
class LineSearch {
 public:
  LineSearch(std::string_view line, const CodePage& codePage);

  // Byte offset of the first match, or -1 when there is none.
  std::ptrdiff_t Find(std::string_view pattern) const;

  // Whether a match found byte by byte at `offset` counts: it starts a character, or the line
  // is valid UTF-8 (then every byte match does).
  bool Accepts(std::size_t offset) const;

 private:
  bool IsUtf8() const;

  std::string_view line_;
  CodePage codePage_;              // a copy: a search may outlive a temporary code page
  mutable signed char utf8_ = -1;  // -1 not yet known, else 0 or 1
};
