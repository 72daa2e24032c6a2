#include "export/contact_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "export/contact_line.h"
#include "export/file_error.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

using test::Escaped;
using test::Page;

// An input that hands out its bytes in the chunk sizes of a script, repeated as needed.
class ScriptedInput : public InputFile {
 public:
  ScriptedInput(std::string data, std::vector<std::size_t> chunks)
      : data_(std::move(data)), chunks_(std::move(chunks)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t chunk = chunks_[calls_++ % chunks_.size()];
    const std::size_t n = std::min({size, chunk, data_.size() - at_});
    std::memcpy(buffer, data_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  std::string data_;
  std::vector<std::size_t> chunks_;
  std::size_t at_ = 0;
  std::size_t calls_ = 0;
};

std::string ReadAllRecords(const std::string& data, const std::vector<std::size_t>& chunks,
                           const FieldSelection& selection = {}, std::uint32_t codePage = 936,
                           std::string_view lineEnd = "\n") {
  ScriptedInput input(data, chunks);
  std::string out;
  ReadContactRecords(input, selection, Page(codePage), lineEnd,
                     [&out](std::string_view records) { out += records; });
  return out;
}

// Every line feed stored as CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Chunk scripts: a byte at a time, odd sizes that split lines and CR LF pairs anywhere, and
// more than the reader's 1 MiB block at once.
const std::vector<std::vector<std::size_t>> kChunkScripts = {
    {1}, {2, 3, 5, 7}, {13}, {4096}, {(std::size_t{1} << 20) + 3}, {std::size_t{64} << 20}};

std::string Contact(const std::string& qq, const std::string& name) {
  return "<li class=\"L_n\"><input type=\"checkbox\" name=\"c\" n=\"" + name + "\" e=\"" + qq +
         "@qq.com\">&nbsp;" + name + "</li>";
}

std::string Record(const std::string& qq, const std::string& name) {
  return qq + "----" + name + "----" + qq + "@qq.com\n";
}

struct ReaderCase {
  const char* what;
  std::string input;
  std::string records;
};

std::vector<ReaderCase> ReaderCases() {
  const std::string a = Contact("10001", "\xD5\xC5\xCE\xB0");
  const std::string b = Contact("2345678901", "Bob");
  const std::string ra = Record("10001", "\xD5\xC5\xCE\xB0");
  const std::string rb = Record("2345678901", "Bob");
  const std::string page = "<html>\n<ul>\n" + a + "\n<li class=\"l_n\">x</li>\n" + b + "\n</ul>\n";
  const std::string crlfPage = WithCrLf(page);
  return {
      {"empty input", "", ""},
      {"no contact line", "<html>\n<body>L_\nn</body>\n", ""},
      {"LF", page, ra + rb},
      {"CR LF", crlfPage, ra + rb},
      {"CR CR LF is one line break", a + "\r\r\n" + b + "\r\r\n", ra + rb},
      {"blank lines", "\n\n\r\n" + a + "\n\n\n" + b, ra + rb},
      {"last line without line feed", a + "\n" + b, ra + rb},
      {"last line ending in CR", a + "\r\n" + b + "\r", ra + rb},
      {"only a contact marker", "L_n", "--------\n"},
      {"contact markers on one line count once", "L_n L_n L_n\nL_n", "--------\n--------\n"},
      // A lone CR is an ordinary byte: it joins two lines and may land in a field.
      {"lone CR joins lines", a + "\r" + b + "\n", ra},
      {"lone CR in a field", "L_n n=\"A\rB\" e=\"1@qq.com\">&nbsp\r\n", "1----A\rB----1@qq.com\n"},
      // The first 0x1A ends the input; the part of a line before it is the last line.
      {"0x1A ends the input", a + "\n" + b + "\x1A\n" + a + "\n", ra + rb},
      {"0x1A inside a line", a + "\n" + "L_n n=\"Ann\" e=\"7@qq.com\"\x1A>&nbsp\n" + b,
       ra + "7----Ann----\n"},
      {"0x1A first", "\x1A" + a, ""},
      {"0x1A after a line feed", a + "\r\n\x1A" + b, ra},
      {"0x1A after a CR", a + "\r\x1A\n" + b, ra},
      // A zero byte ends the line handed to extraction; the next line is a line of its own.
      {"zero byte cuts the fields", "L_n n=\"A\" e=\"1@qq.com\"\0>&nbsp\n"s + b + "\n",
       "1----A----\n" + rb},
      {"zero byte before the contact marker", "ab\0"s + a + "\n" + b, rb},
      {"zero byte after the line", a + "\0\0"s + "\n" + b, ra + rb},
      // The contact marker is looked for by character, not byte.
      {"contact marker behind a lead byte", "\x81L_n n=\"A\" e=\"1@qq.com\">&nbsp\n" + b, rb},
      {"contact marker behind a lead byte, then again",
       "\x81L_n L_n n=\"A\" e=\"1@qq.com\">&nbsp\n", "1----A----1@qq.com\n"},
  };
}

TEST(ContactReader, LinesForEveryChunking) {
  for (const ReaderCase& c : ReaderCases()) {
    for (const auto& script : kChunkScripts) {
      EXPECT_EQ(ReadAllRecords(c.input, script), c.records)
          << c.what << " (first chunk " << script.front() << "): " << Escaped(c.input);
    }
  }
}

TEST(ContactReader, SelectionAndCodePageReachTheRecords) {
  const std::string page = "L_n n=\"A\" e=\"1@qq.com\">&nbsp\n\x81 L_n\n";
  EXPECT_EQ(ReadAllRecords(page, {3}, {0, 0, 0}), "\n\n");
  EXPECT_EQ(ReadAllRecords(page, {3}, {0, 1, 0}), "A\n\n");
  EXPECT_EQ(ReadAllRecords(page, {3}, {1, 0, 2}), "1\n\n");
  EXPECT_EQ(ReadAllRecords("\x81L_n\n", {3}, {}, 936), "");
  EXPECT_EQ(ReadAllRecords("\x81L_n\n", {3}, {}, 1252), "--------\n");
}

// Lines longer than the reader's 1 MiB block are read whole, also when their end, their
// contact marker or their fields lie far behind the first block.
TEST(ContactReader, LinesLongerThanTheBlock) {
  const std::size_t kLong = std::size_t{3} << 20;
  const std::string filler(kLong, 'x');
  const std::string longName(kLong, '\xB0');  // lead bytes: the pairs "\xB0\xB0" are characters
  const std::string before = Contact("1", "A") + "\r\n";
  const std::string after = "\r\n" + Contact("2", "B") + "\r\n";
  struct Case {
    const char* what;
    std::string line;
    std::string record;
  };
  const Case cases[] = {
      {"marker at the end", filler + Contact("3", "C"), Record("3", "C")},
      {"marker at the start", Contact("3", "C") + filler, Record("3", "C")},
      {"long field", Contact("3", longName), Record("3", longName)},
      {"long line, no marker", filler, ""},
  };
  for (const Case& c : cases) {
    const std::string input = before + c.line + after;
    for (const std::vector<std::size_t>& script :
         std::vector<std::vector<std::size_t>>{{65537}, {1 << 20}, {std::size_t{64} << 20}}) {
      const std::string records = ReadAllRecords(input, script);
      EXPECT_TRUE(records == Record("1", "A") + c.record + Record("2", "B"))
          << c.what << " (chunks of " << script.front() << "): " << records.size() << " bytes";
    }
  }
}

// Records end as asked: CR LF gives the bytes that go to disk, a CR inside a field stays alone.
TEST(ContactReader, RecordsEndAsAsked) {
  for (const ReaderCase& c : ReaderCases()) {
    EXPECT_EQ(ReadAllRecords(c.input, {4096}, {}, 936, "\r\n"), WithCrLf(c.records))
        << c.what << ": " << Escaped(c.input);
  }
}

// A failure of the input reaches the caller, after the records read before it.
TEST(ContactReader, ReadFailureReachesTheCaller) {
  class FailingInput : public InputFile {
   public:
    std::size_t Read(char* buffer, std::size_t size) override {
      if (given_) throw FileError(FileErrorCause::kGeneric, "/page.html");
      given_ = true;
      const std::string line = Contact("1", "A") + "\n";
      const std::size_t n = std::min(size, line.size());
      std::memcpy(buffer, line.data(), n);
      return n;
    }

   private:
    bool given_ = false;
  };
  FailingInput input;
  std::string out;
  EXPECT_THROW(ReadContactRecords(input, {}, Page(936), "\n",
                                  [&out](std::string_view records) { out += records; }),
               FileError);
}

}  // namespace
