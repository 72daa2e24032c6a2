// LineSearch and the record builder against the plain reference model on random lines.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "differential/reference.h"
#include "export/contact_line.h"
#include "export/search.h"
#include "test_support.h"

namespace {

using test::Escaped;

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
          reference::IsUtf8(line) && line.find_first_of("\x80\x81\xC3\xE4") != std::string::npos;
      const LineSearch search(view, page);
      for (int k = 0; k < 6; ++k) {
        const std::string pattern = maker.Pattern(line);
        const std::ptrdiff_t expected = reference::Find(view, pattern, page);
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
