// The fast search, the extraction and the block reader against the plain model in
// reference.h, on random lines, random field switches and random read sizes, under every code
// page the program supports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "export/contact_line.h"
#include "export/contact_reader.h"
#include "export/search.h"
#include "reference.h"
#include "unit/test_support.h"

namespace {

constexpr std::uint32_t kCodePages[] = {932, 936, 949, 950, 65001, 1252};

// Pieces that random lines are made of: the markers, parts of them, lead and trail bytes of
// the double-byte code pages, UTF-8 and GBK text, line-end and control bytes.
const std::vector<std::string> kPieces = {"L_n",
                                          "L_",
                                          "_n",
                                          "L",
                                          "n",
                                          " e=\"",
                                          " n=\"",
                                          "\" e=",
                                          "\">&nbsp",
                                          "@qq.com",
                                          "@qq.co",
                                          "@vip.qq.com",
                                          "\"",
                                          " ",
                                          "=",
                                          "e",
                                          "@",
                                          ">&nbsp",
                                          "&nbsp",
                                          "<li class=\"",
                                          "\">",
                                          "10001",
                                          "Zhang Wei",
                                          "\xE5\xBC\xA0\xE4\xBC\x9F",
                                          "\xD5\xC5\xCE\xB0",
                                          "\x81",
                                          "\x9F",
                                          "\xA0",
                                          "\xE0",
                                          "\xFC",
                                          "\xFE",
                                          "\xFF",
                                          "\x80",
                                          "\x81\x40",
                                          std::string(1, '\0'),
                                          "\r",
                                          "\t",
                                          "\xE5\xBC",
                                          "\xF0\x9F\x98\x80",
                                          "\xED\xA0\x80",
                                          "\xC0\xAF"};

class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(engine_);
  }
  bool Chance(unsigned percent) { return Below(100) < percent; }

  std::string Line(std::size_t pieces) {
    std::string line;
    for (std::size_t k = 0; k < pieces; ++k) {
      if (Chance(15)) {
        line += static_cast<char>(Below(256));
      } else {
        line += kPieces[Below(kPieces.size())];
      }
    }
    return line;
  }

  // A contact line as the page has it, with random disturbances.
  std::string ContactLine() {
    std::string line = "<li class=\"L_n\"><input type=\"checkbox\" name=\"c\" n=\"" +
                       Line(Below(4)) + "\" e=\"" + Line(Below(3)) +
                       (Chance(70) ? "@qq.com" : "@163.com") + "\">&nbsp;" + Line(Below(4));
    if (Chance(30)) line.insert(Below(line.size() + 1), Line(1 + Below(3)));
    return line;
  }

  std::string Input(std::size_t lines) {
    std::string input;
    for (std::size_t k = 0; k < lines; ++k) {
      input += Chance(40) ? ContactLine() : Line(Below(12));
      const std::size_t end = Below(10);
      input += end < 6 ? "\n" : end < 9 ? "\r\n" : "\r";
    }
    if (Chance(50) && !input.empty()) input.pop_back();  // a last line without its line feed
    if (Chance(10)) input.insert(Below(input.size() + 1), "\x1A");
    return input;
  }

  FieldSelection Selection() {
    static constexpr std::int32_t kValues[] = {1, 1, 0, 2, -1};
    return {kValues[Below(5)], kValues[Below(5)], kValues[Below(5)]};
  }

 private:
  std::mt19937 engine_;
};

// Hands out its bytes in reads of random sizes up to `most`.
class ChunkedInput : public InputFile {
 public:
  ChunkedInput(std::string bytes, std::size_t most, std::uint32_t seed)
      : bytes_(std::move(bytes)), most_(most), random_(seed) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, bytes_.size() - at_, 1 + random_.Below(most_)});
    std::copy_n(bytes_.data() + at_, count, buffer);
    at_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
  std::size_t most_;
  Random random_;
};

std::string ReadAll(const std::string& input, std::size_t most, std::uint32_t seed,
                    const FieldSelection& selection, const CodePage& codePage,
                    std::string_view lineEnd) {
  ChunkedInput file(input, most, seed);
  std::string out;
  ReadContactRecords(file, selection, codePage, lineEnd,
                     [&out](std::string_view records) { out += records; });
  return out;
}

// A string literal with its zero bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// Inputs that once went wrong, or nearly, with the records they give.
TEST(Differential, KnownCases) {
  struct Case {
    std::uint32_t codePage;
    std::string input;
    std::string records;
  };
  const Case cases[] = {
      // Found by the fuzzer: an empty field (the name's end marker behind a lead byte) was
      // copied from a null pointer.
      {936, "<li class=\"L_n\" n=\"\x81\" e=\"5@qq.com\">&nbsp\r\n", "5--------5@qq.com\n"},
      {65001, "<li class=\"L_n\" n=\"\x81\" e=\"5@qq.com\">&nbsp\r\n", "5----\x81----5@qq.com\n"},
      // A lead byte as the line's last byte does not reach into the next line.
      {936,
       "<li class=\"L_n\" n=\"A\" e=\"7@qq.com\">&nbsp\x81\r\nL_n n=\"B\" e=\"8@qq.com\">&nbsp\x81",
       "7----A----7@qq.com\n8----B----8@qq.com\n"},
      // Zero bytes end the line; 0x1A ends the input.
      {1252,
       Bytes("L_n n=\"B\" e=\"8@qq.com\">&nbsp\0 n=\"X\"\nab\0L_n\nL_n n=\"C\" "
             "e=\"9@qq.com\">&nbsp\x1AL_n"),
       "8----B----8@qq.com\n9----C----9@qq.com\n"},
      {936, "", ""},
  };
  for (const Case& c : cases) {
    const CodePage codePage = *CodePage::FromId(c.codePage);
    EXPECT_EQ(reference::Records(c.input, FieldSelection{}, codePage), c.records)
        << test::Escaped(c.input);
    for (const std::size_t most : {std::size_t{1}, std::size_t{5}, std::size_t{1} << 20}) {
      EXPECT_EQ(ReadAll(c.input, most, 1, FieldSelection{}, codePage, "\n"), c.records)
          << test::Escaped(c.input);
    }
  }
}

TEST(Differential, FindBytesMatchesByteSearch) {
  Random random(1);
  for (int round = 0; round < 20000; ++round) {
    std::string haystack;
    const std::size_t length = random.Below(80);
    for (std::size_t k = 0; k < length; ++k) haystack += "ab\"L_n \x81"[random.Below(8)];
    std::string needle;
    const std::size_t m = random.Below(8);
    for (std::size_t k = 0; k < m; ++k) needle += "ab\"L_n \x81"[random.Below(8)];
    ASSERT_EQ(FindBytes(haystack, needle), std::string_view(haystack).find(needle))
        << test::Escaped(haystack) << " / " << test::Escaped(needle);
  }
}

TEST(Differential, SearchAndExtractionMatchTheModel) {
  Random random(2);
  const std::string patterns[] = {"L_n", " e=\"", " n=\"", "\" e=", "\">&nbsp", "@qq.com"};
  for (const std::uint32_t id : kCodePages) {
    const CodePage codePage = *CodePage::FromId(id);
    for (int round = 0; round < 4000; ++round) {
      const std::string line =
          random.Chance(50) ? random.ContactLine() : random.Line(random.Below(16));
      for (const std::string& pattern : patterns) {
        ASSERT_EQ(LineSearch(line, codePage).Find(pattern),
                  reference::Find(line, pattern, codePage))
            << "code page " << id << ", line " << test::Escaped(line) << ", pattern " << pattern;
      }
      ASSERT_EQ(IsContactLine(line, codePage), reference::Find(line, "L_n", codePage) >= 0);
      const FieldSelection selection = random.Selection();
      ASSERT_EQ(BuildContactRecord(line, selection, codePage),
                reference::Record(line, selection, codePage))
          << "code page " << id << ", line " << test::Escaped(line);
      for (std::size_t offset = 0; offset <= line.size(); ++offset) {
        std::size_t at = 0;
        while (at < offset) at += codePage.IsLeadByte(static_cast<unsigned char>(line[at])) ? 2 : 1;
        ASSERT_EQ(StartsCharacter(line, offset, codePage), at == offset)
            << "code page " << id << ", offset " << offset << ", line " << test::Escaped(line);
      }
    }
  }
}

TEST(Differential, ReaderMatchesTheModel) {
  Random random(3);
  const std::size_t readSizes[] = {1, 3, 17, 256, 4096, std::size_t{1} << 22};
  for (const std::uint32_t id : kCodePages) {
    const CodePage codePage = *CodePage::FromId(id);
    for (int round = 0; round < 600; ++round) {
      const std::string input = random.Input(random.Below(40));
      const FieldSelection selection = random.Selection();
      const std::string expected = reference::Records(input, selection, codePage);
      const std::size_t most = readSizes[random.Below(std::size(readSizes))];
      const auto seed = static_cast<std::uint32_t>(round);
      ASSERT_EQ(ReadAll(input, most, seed, selection, codePage, "\n"), expected)
          << "code page " << id << ", reads up to " << most << ", input " << test::Escaped(input);
      ASSERT_EQ(ReadAll(input, most, seed, selection, codePage, "\r\n"),
                reference::WithCrLf(expected))
          << "code page " << id << ", reads up to " << most << ", input " << test::Escaped(input);
    }
  }
}

// Lines longer than the reader's blocks, and many lines across block ends.
TEST(Differential, LongLinesAndBlockEdgesMatchTheModel) {
  Random random(4);
  for (const std::uint32_t id : kCodePages) {
    const CodePage codePage = *CodePage::FromId(id);
    for (int round = 0; round < 3; ++round) {
      std::string input = random.Input(20);
      std::string filler = random.Line(4);
      while (filler.size() < (std::size_t{3} << 20)) filler += filler;
      filler.erase(std::remove(filler.begin(), filler.end(), '\x1A'), filler.end());
      input += random.ContactLine() + filler + random.ContactLine() + "\r\n";
      input += filler.substr(0, filler.size() / 3) + "\n";
      while (input.size() < (std::size_t{5} << 20)) input += random.Input(200);
      const FieldSelection selection = random.Selection();
      const std::string expected = reference::Records(input, selection, codePage);
      const std::size_t most = random.Chance(50) ? 100000 : std::size_t{1} << 24;
      ASSERT_EQ(ReadAll(input, most, 7, selection, codePage, "\n"), expected) << "code page " << id;
    }
  }
}

}  // namespace
