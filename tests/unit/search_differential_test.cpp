// LineSearch and the record builder against plain reference implementations on random lines.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "export/contact_line.h"
#include "export/search.h"
#include "test_support.h"

namespace {

using test::Escaped;

bool ReferenceIsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    std::uint32_t code = c;
    if (c >= 0x80) {
      length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
      if (length == 0 || c > 0xF7 || i + length > text.size()) return false;
      code = c & (0x7F >> length);
      for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        code = (code << 6) | (b & 0x3F);
      }
      static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
      if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

// Character by character: from offset 0, compare the pattern at each character start; a lead
// byte makes the character two bytes long, whatever follows. The line ends at its first zero
// byte, and a valid UTF-8 line is searched byte by byte.
std::ptrdiff_t ReferenceFind(std::string_view line, std::string_view pattern,
                             const CodePage& page) {
  line = line.substr(0, line.find('\0'));
  const bool byteByByte = ReferenceIsUtf8(line);
  for (std::size_t i = 0; i < line.size();) {
    if (line.size() - i >= pattern.size() &&
        std::memcmp(line.data() + i, pattern.data(), pattern.size()) == 0) {
      return static_cast<std::ptrdiff_t>(i);
    }
    i += !byteByByte && page.IsLeadByte(static_cast<unsigned char>(line[i])) ? 2 : 1;
  }
  return -1;
}

// Random lines made of the pieces that matter: lead bytes of every supported code page (and
// the bytes around their ranges), marker bytes, whole markers and their fragments, UTF-8
// characters, now and then a zero byte. Some lines are pure UTF-8 so that the UTF-8 rule
// comes into play.
class LineMaker {
 public:
  explicit LineMaker(std::uint32_t seed) : random_(seed) {}

  std::string Line() {
    const bool utf8 = random_() % 3 == 0;
    const std::size_t pieces = random_() % 24;
    std::string line;
    for (std::size_t i = 0; i < pieces; ++i) line += Piece(utf8);
    return line;
  }

  std::string Pattern(const std::string& line) {
    switch (random_() % 4) {
      case 0:
        return std::string(kMarkers[random_() % std::size(kMarkers)]);
      case 1: {  // a slice of the line itself
        if (line.empty()) return "L_n";
        const std::size_t at = random_() % line.size();
        return line.substr(at, 1 + random_() % 6);
      }
      case 2:
        return Piece(false) + Piece(false);
      default:
        return Piece(random_() % 2 == 0);
    }
  }

  std::uint32_t Next() { return static_cast<std::uint32_t>(random_()); }

 private:
  static constexpr std::string_view kMarkers[] = {
      "L_n", " n=\"", "\" e=", " e=\"", "@qq.com", "\">&nbsp", "\xD5\xC5", "\x81@", "\\"};
  static constexpr std::string_view kFragments[] = {
      "L", "L_", "_n", " n", "=\"", "\" ", " e", "e=", "@q", "qq.com", "\">", "&nbsp", "n", "\""};
  static constexpr std::string_view kUtf8Characters[] = {
      "\xE4\xB8\xAD", "\xC3\xA9", "\xE3\x81\x82", "\xEA\xB0\x81", "\xF0\x9F\x98\x80", "\xC2\x81"};
  static constexpr unsigned char kBytes[] = {0x80, 0x81, 0x9F, 0xA0, 0xA1, 0xB0, 0xDF, 0xE0,
                                             0xE4, 0xFC, 0xFD, 0xFE, 0xFF, 0x40, 0x5C, 'L'};

  std::string Piece(bool utf8) {
    const unsigned kind = random_() % 10;
    if (kind < 3) return std::string(kMarkers[random_() % std::size(kMarkers) % 6]);
    if (kind < 6) return std::string(kFragments[random_() % std::size(kFragments)]);
    if (kind < 8 && utf8)
      return std::string(kUtf8Characters[random_() % std::size(kUtf8Characters)]);
    if (kind < 8) return std::string(1, static_cast<char>(kBytes[random_() % std::size(kBytes)]));
    if (kind == 8 && random_() % 8 == 0) return std::string(1, '\0');
    return std::string(1, static_cast<char>('a' + random_() % 3));
  }

  std::mt19937 random_;
};

TEST(LineSearchDifferential, AgreesWithACharacterByCharacterSearch) {
  for (const std::uint32_t id : test::kAllPages) {
    const CodePage page = test::Page(id);
    LineMaker maker(id);
    int found = 0, missed = 0, utf8Lines = 0;
    for (int round = 0; round < 30000; ++round) {
      const std::string line = maker.Line();
      // The line is a view into a buffer whose following bytes may complete a match.
      const std::string buffer = line + maker.Pattern(line) + "L_n";
      const std::string_view view(buffer.data(), line.size());
      utf8Lines +=
          ReferenceIsUtf8(line) && line.find_first_of("\x80\x81\xC3\xE4") != std::string::npos;
      const LineSearch search(view, page);
      for (int k = 0; k < 6; ++k) {
        const std::string pattern = maker.Pattern(line);
        const std::ptrdiff_t expected = ReferenceFind(view, pattern, page);
        ASSERT_EQ(search.Find(pattern), expected)
            << "code page " << id << ", line \"" << Escaped(line) << "\", pattern \""
            << Escaped(pattern) << "\"";
        (expected >= 0 ? found : missed) += 1;
      }
    }
    // The random lines do reach both outcomes and the UTF-8 rule.
    EXPECT_GT(found, 10000) << id;
    EXPECT_GT(missed, 10000) << id;
    EXPECT_GT(utf8Lines, 1000) << id;
  }
}

// BuildContactRecord looks for the shared " e=\"" once; it must give what ExtractBetween gives
// field by field.
TEST(LineSearchDifferential, RecordsAgreeWithExtractBetween) {
  for (const std::uint32_t id : test::kAllPages) {
    const CodePage page = test::Page(id);
    LineMaker maker(id + 1);
    for (int round = 0; round < 20000; ++round) {
      const std::string line = maker.Line();
      const std::uint32_t bits = maker.Next();
      const FieldSelection selection{static_cast<std::int32_t>(bits & 1),
                                     static_cast<std::int32_t>((bits >> 1) & 1),
                                     static_cast<std::int32_t>((bits >> 2) & 1)};
      std::string expected;
      if (selection.QQNumberOn()) expected += ExtractBetween(line, kEmailStart, kQQNumberEnd, page);
      if (selection.NameOn()) {
        if (selection.QQNumberOn()) expected += "----";
        expected += ExtractBetween(line, kNameStart, kNameEnd, page);
      }
      if (selection.EmailOn()) {
        if (selection.QQNumberOn() || selection.NameOn()) expected += "----";
        expected += ExtractBetween(line, kEmailStart, kEmailEnd, page);
      }
      expected += "\n";
      ASSERT_EQ(BuildContactRecord(line, selection, page), expected)
          << "code page " << id << ", line \"" << Escaped(line) << "\"";
    }
  }
}

}  // namespace
