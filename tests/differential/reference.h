#pragma once

// A plain, character-by-character model of how a saved contacts page becomes records. It is
// written for clarity, not speed, and is what the fast search and the block reader are held
// against (by the differential test and by the fuzzer).

#include <cstddef>
#include <string>
#include <string_view>

#include "export/code_page.h"
#include "export/field_selection.h"

namespace reference {

// Whether `text` is UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
inline bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    unsigned long code = c;
    if (c >= 0xF0) {
      length = 4, code = c & 0x07u;
    } else if (c >= 0xE0) {
      length = 3, code = c & 0x0Fu;
    } else if (c >= 0xC0) {
      length = 2, code = c & 0x1Fu;
    } else if (c >= 0x80) {
      return false;
    }
    if (c > 0xF7 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = code << 6 | (t & 0x3Fu);
    }
    static constexpr unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

// First occurrence of `pattern` in `line` at a character boundary, or -1. The line ends at its
// first zero byte. A line that is valid UTF-8 is searched byte by byte; otherwise the candidate
// position advances two bytes after a lead byte and one byte after any other byte.
inline std::ptrdiff_t Find(std::string_view line, std::string_view pattern,
                           const CodePage& codePage) {
  const std::size_t zero = line.find('\0');
  if (zero != std::string_view::npos) line = line.substr(0, zero);
  const bool byteByByte = !codePage.IsDoubleByte() || IsUtf8(line);
  for (std::size_t i = 0; i + pattern.size() <= line.size();) {
    bool match = true;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
      if (line[i + k] != pattern[k]) {
        match = false;
        break;
      }
    }
    if (match) return static_cast<std::ptrdiff_t>(i);
    i += !byteByByte && codePage.IsLeadByte(static_cast<unsigned char>(line[i])) ? 2 : 1;
  }
  return -1;
}

inline std::string Between(std::string_view text, std::string_view start, std::string_view end,
                           const CodePage& codePage) {
  const std::ptrdiff_t s = Find(text, start, codePage);
  const std::ptrdiff_t e = Find(text, end, codePage);
  const auto length = static_cast<std::ptrdiff_t>(text.size());
  std::ptrdiff_t first = s + static_cast<std::ptrdiff_t>(start.size());
  std::ptrdiff_t count = e - first;
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first + count > length) count = length - first;
  if (first > length) count = 0;
  if (count <= 0) return {};
  return std::string(text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

inline std::string Record(std::string_view line, const FieldSelection& selection,
                          const CodePage& codePage) {
  std::string record;
  if (selection.qqNumber == 1) record += Between(line, " e=\"", "@qq.com", codePage);
  if (selection.name == 1) {
    if (selection.qqNumber == 1) record += "----";
    record += Between(line, " n=\"", "\" e=", codePage);
  }
  if (selection.email == 1) {
    if (selection.qqNumber == 1 || selection.name == 1) record += "----";
    record += Between(line, " e=\"", "\">&nbsp", codePage);
  }
  return record + "\n";
}

// All records of a whole input: the input ends at its first 0x1A; lines end at a line feed,
// which takes a carriage return right in front of it along; a last line without a line feed
// still counts; a line is a contact line when it holds "L_n".
inline std::string Records(std::string_view input, const FieldSelection& selection,
                           const CodePage& codePage) {
  const std::size_t eot = input.find('\x1A');
  if (eot != std::string_view::npos) input = input.substr(0, eot);
  std::string out;
  std::size_t from = 0;
  while (from < input.size()) {
    const std::size_t lineFeed = input.find('\n', from);
    std::string_view line;
    if (lineFeed == std::string_view::npos) {
      line = input.substr(from);
      from = input.size();
    } else {
      line = input.substr(from, lineFeed - from);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      from = lineFeed + 1;
    }
    if (Find(line, "L_n", codePage) >= 0) out += Record(line, selection, codePage);
  }
  return out;
}

// Every line feed stored as carriage return plus line feed.
inline std::string WithCrLf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace reference
