#include "export/search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "test_support.h"

namespace {

using namespace std::string_literals;

using test::Escaped;
using test::Page;

struct FindCase {
  std::uint32_t codePage;
  std::string line;
  std::string pattern;
  std::ptrdiff_t expected;
};

// Lines that are not valid UTF-8 follow the code page; valid UTF-8 lines are searched byte by
// byte whatever the code page (see the UTF-8 cases at the end).
const FindCase kFindCases[] = {
    // A lead byte takes the byte behind it along, whatever that byte is.
    {936, "\x81L_n", "L_n", -1},
    {936, "\x81L_nL_n", "L_n", 4},
    {936, "\x81\x81L_n", "L_n", 2},       // two lead bytes are one character
    {936, "\x81\x81\x81L_n", "L_n", -1},  // the third starts a character, taking 'L' along
    {936, "\xFE\"L_n", "L_n", 2},
    {936, "\x80L_n", "L_n", 1},  // 0x80 and 0xFF are no lead bytes in GBK
    {936, "\xFFL_n", "L_n", 1},
    {949, "\x81L_n", "L_n", -1},
    {949, "\x80L_n", "L_n", 1},
    {950, "\xA4L_n", "L_n", -1},
    {950, "\xFFL_n", "L_n", 1},
    // Shift-JIS: 0x81-0x9F and 0xE0-0xFC lead; 0xA0-0xDF are single-byte katakana.
    {932, "\x9FL_n", "L_n", -1},
    {932, "\xE0L_n", "L_n", -1},
    {932, "\xFCL_n", "L_n", -1},
    {932, "\xA0L_n", "L_n", 1},
    {932, "\xDFL_n", "L_n", 1},
    {932, "\xFDL_n", "L_n", 1},
    {932, "\x80L_n", "L_n", 1},
    // A GBK character whose trailing byte is '@' or '\\' never starts a match.
    {936, "\x81@qq.com", "@qq.com", -1},
    {936, "\x81@qq.com 1@qq.com", "@qq.com", 10},
    {936, "\x81\\\\", "\\", 2},
    {950, "\xA5\\n=\"", "\\n=\"", -1},
    // A marker right behind a lead byte in text of another encoding is not found there.
    {936, "Jos\xE9\" e=\"", "\" e=", -1},
    {936, "Jos\xE9\" e=\"\" e=", "\" e=", 9},
    // Single-byte code pages and UTF-8 search byte by byte.
    {1252, "\x81L_n", "L_n", 1},
    {437, "\xE9\" e=", "\" e=", 1},
    {65001, "\x81L_n", "L_n", 1},
    {65001, "\xE4\xB8L_n", "L_n", 2},
    // A pattern that holds a lead byte matches only where the lead byte starts a character.
    {936, "a\x81\x81\x81\x40", "\x81\x40", 3},
    {936, "\x81\x81\x40", "\x81\x40", -1},
    {936, "L_\x81", "\x81", 2},  // a lone lead byte as the last byte
    // Case matters.
    {936, "l_n L_N l_N", "L_n", -1},
    {1252, "l_n L_n", "L_n", 4},
    {936, "<LI CLASS=\"l_n\">", "L_n", -1},
    // The line ends at its first zero byte.
    {936, "ab\0L_n"s, "L_n", -1},
    {936, "L_n\0L_n"s, "L_n", 0},
    {1252, "\0L_n"s, "L_n", -1},
    {936, "L_\0n"s, "L_n", -1},
    // A match must lie inside the line.
    {936, "L_", "L_n", -1},
    {936, "", "L_n", -1},
    {936, "xL_n", "L_n", 1},
    // Valid UTF-8 lines: byte by byte, so a UTF-8 character whose last byte is a GBK lead byte
    // does not swallow the marker behind it.
    {936, "\xE4\xB8\xAD\" e=", "\" e=", 3},
    {950, "\xE4\xB8\xAD\" e=", "\" e=", 3},
    {932, "\xE3\x81\x82L_n", "L_n", 3},
    {949, "\xEA\xB0\x81L_n", "L_n", 3},  // 각
    // One byte that breaks UTF-8 anywhere in the line brings the code page back.
    {936, "\xE4\xB8\xAD\" e=\xFF", "\" e=", -1},
    {936, "\xC0\x80\xE4\xB8\xAD\" e=", "\" e=", -1},
};

TEST(LineSearch, FollowsTheCodePage) {
  for (const FindCase& c : kFindCases) {
    EXPECT_EQ(LineSearch(c.line, Page(c.codePage)).Find(c.pattern), c.expected)
        << "code page " << c.codePage << ", line \"" << Escaped(c.line) << "\", pattern \""
        << Escaped(c.pattern) << "\"";
  }
}

// The line is a view into a larger buffer whose following bytes would complete a match; the
// search must neither find it nor read behind the line. Every code page, the line ending on a
// lead byte, on the first bytes of the pattern, or on both.
TEST(LineSearch, NeverReadsPastTheLine) {
  const std::string buffer = "abc\x81L_n\x81\x40qq.com @qq.com";
  for (const std::uint32_t id : test::kAllPages) {
    const CodePage page = Page(id);
    for (std::size_t length = 0; length <= 6; ++length) {
      const std::string_view line(buffer.data(), length);
      EXPECT_EQ(LineSearch(line, page).Find("L_n"), -1) << id << " length " << length;
      EXPECT_EQ(LineSearch(line, page).Find("\x81L_n"), -1) << id << " length " << length;
    }
    const std::string_view upToAt(buffer.data(), 9);  // ends on the 0x40 behind a lead byte
    EXPECT_EQ(LineSearch(upToAt, page).Find("@qq.com"), -1) << id;
    const std::string_view wholeLeadAtEnd(buffer.data(), 8);  // "abc\x81L_n\x81"
    EXPECT_EQ(LineSearch(wholeLeadAtEnd, page).Find("\x81\x40"), -1) << id;
  }
}

TEST(LineSearch, FindsTheFirstMatchAtACharacterStart) {
  // "中" in GBK (D6 D0) repeated: the trail byte D0 followed by a lead D6 looks like "\xD0\xD6"
  // at every odd offset; only the even ones start characters.
  const std::string line = "\xD6\xD0\xD6\xD0\xD6\xD0";
  EXPECT_EQ(LineSearch(line, Page(936)).Find("\xD0\xD6"), -1);
  EXPECT_EQ(LineSearch(line, Page(936)).Find("\xD6\xD0"), 0);
  EXPECT_EQ(LineSearch("x" + line, Page(936)).Find("\xD6\xD0"), 1);
  EXPECT_EQ(LineSearch(line, Page(1252)).Find("\xD0\xD6"), 1);
  // The same LineSearch answers several patterns (the UTF-8 verdict is taken once).
  const LineSearch search("\xE4\xB8\xAD\" e=\"1@qq.com\">&nbsp", Page(936));
  EXPECT_EQ(search.Find("\" e="), 3);
  EXPECT_EQ(search.Find("@qq.com"), 9);
  EXPECT_EQ(search.Find("\">&nbsp"), 16);
}

// ---------------------------------------------------------------------------------------------
// FindBytes: a plain byte search, compared with std::string_view::find.

TEST(FindBytes, AgreesWithStringFindOnRandomData) {
  std::mt19937 random(20240611);
  // A small alphabet makes partial matches common; 0x80 and 0xFF check signedness.
  const std::string alphabet = "ab\x80\xFF";
  std::string buffer;
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = random() % 80;
    buffer.clear();
    for (std::size_t i = 0; i < n + 40; ++i) buffer += alphabet[random() % alphabet.size()];
    // The haystack is a view whose following bytes belong to the buffer, never to the search.
    const std::string_view haystack(buffer.data(), n);
    std::string needle;
    if (random() % 2 == 0 && n > 0) {
      const std::size_t at = random() % n;
      needle = buffer.substr(at, 1 + random() % 36);  // may run past the haystack
    } else {
      const std::size_t m = random() % 20;
      for (std::size_t i = 0; i < m; ++i) needle += alphabet[random() % alphabet.size()];
    }
    ASSERT_EQ(FindBytes(haystack, needle), haystack.find(needle))
        << "haystack \"" << Escaped(haystack) << "\", needle \"" << Escaped(needle) << "\"";
  }
}

// One match at every position of haystacks of 1..70 bytes, for needles of 1..40 bytes: the
// 16-byte blocks, their tails and the needle's last byte at the haystack's end all come round.
TEST(FindBytes, FindsAMatchAtEveryPosition) {
  for (std::size_t m = 1; m <= 40; ++m) {
    std::string needle(m, 'x');
    needle.front() = 'N';
    needle.back() = 'E';
    for (std::size_t n = m; n <= 70; ++n) {
      for (std::size_t at = 0; at + m <= n; ++at) {
        std::string haystack(n, 'x');
        haystack.replace(at, m, needle);
        ASSERT_EQ(FindBytes(haystack, needle), at) << "n " << n << " m " << m;
        // With the middle (or, for short needles, the last byte) spoilt there is no match, though
        // the first and last bytes still agree.
        haystack[m >= 3 ? at + m / 2 : at + m - 1] = 'y';
        ASSERT_EQ(FindBytes(haystack, needle), std::string_view::npos) << "n " << n << " m " << m;
      }
    }
  }
  EXPECT_EQ(FindBytes("abc", ""), 0u);
  EXPECT_EQ(FindBytes("", ""), 0u);
  EXPECT_EQ(FindBytes("", "a"), std::string_view::npos);
  EXPECT_EQ(FindBytes("ab", "abc"), std::string_view::npos);
}

// ---------------------------------------------------------------------------------------------
// IsValidUtf8

struct Utf8Case {
  std::string text;
  bool valid;
};

const Utf8Case kUtf8Cases[] = {
    {"", true},
    {"plain ASCII", true},
    {"\xE4\xB8\xAD\xE6\x96\x87", true},  // 中文
    {"\xC2\x80", true},                  // U+0080
    {"\xDF\xBF", true},                  // U+07FF
    {"\xE0\xA0\x80", true},              // U+0800
    {"\xED\x9F\xBF", true},              // U+D7FF
    {"\xEE\x80\x80", true},              // U+E000
    {"\xEF\xBF\xBF", true},              // U+FFFF
    {"\xF0\x90\x80\x80", true},          // U+10000
    {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF
    {"a\0b"s, true},
    // Overlong forms.
    {"\xC0\x80", false},
    {"\xC1\xBF", false},
    {"\xE0\x80\x80", false},
    {"\xE0\x9F\xBF", false},
    {"\xF0\x80\x80\x80", false},
    {"\xF0\x8F\xBF\xBF", false},
    // Surrogates.
    {"\xED\xA0\x80", false},
    {"\xED\xBF\xBF", false},
    // Above U+10FFFF.
    {"\xF4\x90\x80\x80", false},
    {"\xF5\x80\x80\x80", false},
    {"\xF8\x88\x80\x80\x80", false},
    {"\xFF", false},
    {"\xFE", false},
    // Lone continuation bytes and truncated sequences.
    {"\x80", false},
    {"\xBF", false},
    {"\xC3", false},
    {"\xE4\xB8", false},
    {"\xF0\x90\x80", false},
    {"\xE4\xB8"
     "a",
     false},
    {"\xE4\x41\xAD", false},
    {"\xE4\xB8\x41", false},
    {"\xF0\x90\x80\x41", false},
    {"\xE4\xB8\xAD\xAD", false},
    // Behind and inside runs of ASCII (eight bytes at a time).
    {"abcdefghijklmnop\x80", false},
    {"abcd\x80"
     "efghijklmnop",
     false},
    {"abcdefgh\xE4\xB8\xAD"
     "abcdefgh",
     true},
    {"abcdefg\xE4\xB8\xAD"
     "abcdefgh",
     true},
    {"abcdefghijklmno\xE4\xB8", false},
    {"GBK \xD6\xD0\xCE\xC4", false},  // 中文 in GBK
};

TEST(IsValidUtf8, Table) {
  for (const Utf8Case& c : kUtf8Cases) {
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << "\"" << Escaped(c.text) << "\"";
  }
}

// A reference decoder: code point by code point, by the definition.
bool ReferenceIsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      code = (code << 6) | (b & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

TEST(IsValidUtf8, AgreesWithAReferenceDecoderOnRandomData) {
  std::mt19937 random(7);
  // Leading bytes at the edges of their ranges, continuation bytes and ASCII.
  const unsigned char bytes[] = {0x41, 0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF4, 0xF5,
                                 0xFF, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41};
  for (int round = 0; round < 200000; ++round) {
    std::string text;
    const std::size_t n = random() % 24;
    for (std::size_t i = 0; i < n; ++i) {
      text += static_cast<char>(bytes[random() % sizeof bytes]);
    }
    ASSERT_EQ(IsValidUtf8(text), ReferenceIsUtf8(text)) << "\"" << Escaped(text) << "\"";
  }
}

}  // namespace
