#include "export/contact_line.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using namespace std::string_literals;

using test::Escaped;
using test::Page;

// A contact line as the saved page holds it.
std::string ContactLine(const std::string& name, const std::string& address) {
  return "<li class=\"L_n\"><input type=\"checkbox\" name=\"c\" n=\"" + name + "\" e=\"" + address +
         "\">&nbsp;" + name + " &lt;" + address + "&gt;</li>";
}

TEST(ContactLine, Markers) {
  EXPECT_EQ(kQQNumberEnd, "@qq.com");
  EXPECT_EQ(kContactMarker, "L_n");
  EXPECT_EQ(kNameStart, " n=\"");
  EXPECT_EQ(kNameEnd, "\" e=");
  EXPECT_EQ(kEmailStart, " e=\"");
  EXPECT_EQ(kEmailEnd, "\">&nbsp");
}

TEST(ContactLine, IsContactLine) {
  struct Case {
    std::uint32_t codePage;
    std::string line;
    bool contact;
  };
  const Case cases[] = {
      {936, ContactLine("Li", "1@qq.com"), true},
      {936, "L_n", true},
      {936, "xxL_n", true},
      {936, "", false},
      {936, "<li class=\"l_n\">", false},
      {936, "L_N", false},
      {936, "L-n", false},
      {936, "L_ n", false},
      {936, "\x81L_n", false},  // 'L' is the second byte of a character
      {1252, "\x81L_n", true},
      {936, "ab\0L_n"s, false},  // the line ends at its zero byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsContactLine(c.line, Page(c.codePage)), c.contact)
        << c.codePage << " \"" << Escaped(c.line) << "\"";
  }
}

TEST(ContactLine, ExtractBetween) {
  struct Case {
    const char* what;
    std::uint32_t codePage;
    std::string text;
    std::string start;
    std::string end;
    std::string expected;
  };
  const std::string nameStart(kNameStart), nameEnd(kNameEnd);
  const Case cases[] = {
      {"both markers", 936, "<i n=\"Li Wei\" e=\"1\">", nameStart, nameEnd, "Li Wei"},
      {"empty field", 936, " n=\"\" e=", nameStart, nameEnd, ""},
      {"first occurrences", 936, " n=\"a\" e= n=\"b\" e=", nameStart, nameEnd, "a"},
      // Start marker missing: first = length(start) - 1 = 3.
      {"start missing, end at 10", 936, "0123456789\" e=", nameStart, nameEnd, "3456789"},
      {"start missing, end at 4", 936, "0123\" e=", nameStart, nameEnd, "3"},
      {"start missing, end at 3", 936, "012\" e=", nameStart, nameEnd, ""},
      {"start missing, end at 0", 936, "\" e=abcdef", nameStart, nameEnd, ""},
      {"both missing", 936, "0123456789", nameStart, nameEnd, ""},
      // The end marker is searched from the line's start, not behind the start marker.
      {"end before start", 936, "\" e= n=\"abc\"", nameStart, nameEnd, ""},
      {"end inside start's run", 936, "x\" e=\"1@qq.com", " e=\"", "\" e=", ""},
      {"end missing", 936, " n=\"abc", nameStart, nameEnd, ""},
      {"start at the very end", 936, "abc n=\"", nameStart, nameEnd, ""},
      {"start at the very end, end before", 936, "\" e= n=\"", nameStart, nameEnd, ""},
      {"empty text", 936, "", nameStart, nameEnd, ""},
      // Fields take every byte between the markers, carriage returns and lead bytes included.
      {"raw bytes", 936, " n=\"\xD5\xC5\r\xCE\xB0\" e=", nameStart, nameEnd, "\xD5\xC5\r\xCE\xB0"},
      // The start marker hidden behind a lead byte: missing, so the field starts at 3.
      {"start behind a lead byte", 936, "\x81 n=\"X\" e=", nameStart, nameEnd, "=\"X"},
      {"same, byte by byte", 1252, "\x81 n=\"X\" e=", nameStart, nameEnd, "X"},
      // The end marker hidden behind a lead byte (text of another encoding): missing.
      {"end behind a lead byte", 936, " n=\"Jos\xE9\" e=\"", nameStart, nameEnd, ""},
      {"same, byte by byte", 1252, " n=\"Jos\xE9\" e=\"", nameStart, nameEnd, "Jos\xE9"},
      // Markers behind the line's zero byte are not there.
      {"end behind a zero byte", 936, " n=\"ab\0\" e="s, nameStart, nameEnd, ""},
      {"start missing, end behind a zero byte", 936, "0123\0\" e="s, nameStart, nameEnd, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractBetween(c.text, c.start, c.end, Page(c.codePage)), c.expected)
        << c.what << ": \"" << Escaped(c.text) << "\"";
  }
}

// The switch values: only 1 counts as on; an indeterminate check box gives 2.
constexpr std::int32_t kSwitchValues[] = {1, 0, 2, -1};

std::string Joined(const FieldSelection& s, const std::string& qq, const std::string& name,
                   const std::string& email) {
  std::string record;
  if (s.qqNumber == 1) record += qq;
  if (s.name == 1) record += (s.qqNumber == 1 ? "----" : "") + name;
  if (s.email == 1) record += (s.qqNumber == 1 || s.name == 1 ? "----" : "") + email;
  return record + "\n";
}

// Every combination of switch values, on lines whose fields come out full, partly empty or all
// empty: the fields stand in the order QQ number, name, e-mail, and the separators follow the
// switches alone.
TEST(ContactLine, BuildContactRecordForEverySwitchCombination) {
  struct Line {
    std::string text;
    std::string qq, name, email;
  };
  const Line lines[] = {
      {ContactLine("\xD5\xC5\xCE\xB0", "10001@qq.com"), "10001", "\xD5\xC5\xCE\xB0",
       "10001@qq.com"},
      // Another mail domain: no QQ end marker, so an empty QQ field.
      {ContactLine("Ann", "ann@163.com"), "", "Ann", "ann@163.com"},
      // None of the markers.
      {"<li class=\"L_n\">nothing here</li>", "", "", ""},
      // The QQ end marker is case-sensitive.
      {ContactLine("Bo", "2@QQ.COM"), "", "Bo", "2@QQ.COM"},
  };
  for (const Line& line : lines) {
    for (const std::int32_t qq : kSwitchValues) {
      for (const std::int32_t name : kSwitchValues) {
        for (const std::int32_t email : kSwitchValues) {
          const FieldSelection selection{qq, name, email};
          EXPECT_EQ(BuildContactRecord(line.text, selection, Page(936)),
                    Joined(selection, line.qq, line.name, line.email))
              << "switches " << qq << "," << name << "," << email << " line " << Escaped(line.text);
        }
      }
    }
  }
}

TEST(ContactLine, BuildContactRecordExamples) {
  const CodePage gbk = Page(936);
  // The worked example: number, name, full address.
  EXPECT_EQ(BuildContactRecord(ContactLine("\xD5\xC5\xCE\xB0", "10001@qq.com"), {}, gbk),
            "10001----\xD5\xC5\xCE\xB0----10001@qq.com\n");
  EXPECT_EQ(BuildContactRecord("L_n", {}, gbk), "--------\n");
  EXPECT_EQ(BuildContactRecord("L_n", {0, 0, 0}, gbk), "\n");
  EXPECT_EQ(BuildContactRecord("L_n", {2, -1, 2}, gbk), "\n");
  // A GBK character whose second byte is '@' does not end the QQ number.
  EXPECT_EQ(BuildContactRecord(ContactLine("\x81@qq.com", "123@qq.com"), {}, gbk),
            "123----\x81@qq.com----123@qq.com\n");
  // Byte by byte, the '@' of that character is found first: it stands before the QQ start,
  // so the QQ field is empty.
  EXPECT_EQ(BuildContactRecord(ContactLine("\x81@qq.com", "123@qq.com"), {}, Page(1252)),
            "----\x81@qq.com----123@qq.com\n");
  // The line holds the address twice; the first " e=\"" starts both QQ and e-mail fields.
  EXPECT_EQ(BuildContactRecord("L_n e=\"9@qq.com\" n=\"X\" e=\"8@qq.com\">&nbsp", {}, gbk),
            "9----X----9@qq.com\" n=\"X\" e=\"8@qq.com\n");
}

// Under a double-byte code page a line that is valid UTF-8 is searched byte by byte, so a page
// saved in UTF-8 gives whole records even where a character's last byte is a lead byte.
TEST(ContactLine, Utf8LinesUnderADoubleByteCodePage) {
  const std::string zhong = "\xE4\xB8\xAD";  // 中: AD is a GBK lead byte
  const std::string line = ContactLine(zhong, "1@qq.com");
  for (const std::uint32_t id : test::kDoubleBytePages) {
    EXPECT_EQ(BuildContactRecord(line, {}, Page(id)), "1----" + zhong + "----1@qq.com\n") << id;
  }
  // One byte that is not UTF-8 (here a GBK character behind the list item) and the line
  // follows the code page: the name's end marker lies inside "\xAD\"" and is not found.
  EXPECT_EQ(BuildContactRecord(line + "\xD5\xC5", {}, Page(936)), "1--------1@qq.com\n");
  EXPECT_EQ(BuildContactRecord(line + "\xD5\xC5", {}, Page(65001)),
            "1----" + zhong + "----1@qq.com\n");
  // A contact marker right behind such a character.
  EXPECT_TRUE(IsContactLine(zhong + "L_n", Page(936)));
  EXPECT_FALSE(IsContactLine(zhong + "L_n\xFF", Page(936)));
}

}  // namespace
