// The block reader and the record building on any bytes, under every code page, with any
// switches and read sizes, held against the plain model of tests/differential/reference.h.
//
// Input: byte 0 picks the code page, byte 1 the three switches (two bits each: 0, 1, 2 or -1),
// bytes 2-3 the largest read size; the rest is the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/contact_line.h"
#include "export/contact_reader.h"
#include "reference.h"

namespace {

constexpr std::uint32_t kCodePages[] = {932, 936, 949, 950, 65001, 1252};

class ChunkedInput : public InputFile {
 public:
  ChunkedInput(std::string_view bytes, std::size_t most) : bytes_(bytes), most_(most) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    // Read sizes vary: most_, then smaller ones in turn.
    const std::size_t count =
        std::min({size, bytes_.size() - at_, 1 + (most_ + turn_++ * 7) % most_});
    std::copy_n(bytes_.data() + at_, count, buffer);
    at_ += count;
    return count;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
  std::size_t most_;
  std::size_t turn_ = 0;
};

std::int32_t Switch(unsigned bits) {
  static constexpr std::int32_t kValues[] = {0, 1, 2, -1};
  return kValues[bits & 3];
}

[[noreturn]] void Mismatch(const char* what) {
  std::fprintf(stderr, "mismatch: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const CodePage codePage = *CodePage::FromId(kCodePages[data[0] % std::size(kCodePages)]);
  const FieldSelection selection{Switch(data[1]), Switch(data[1] >> 2), Switch(data[1] >> 4)};
  const std::size_t most = 1 + (data[2] | data[3] << 8);
  const std::string_view page(reinterpret_cast<const char*>(data) + 4, size - 4);

  const std::string expected = reference::Records(page, selection, codePage);
  for (const std::string_view lineEnd : {std::string_view("\n"), std::string_view("\r\n")}) {
    ChunkedInput input(page, most);
    std::string out;
    ReadContactRecords(input, selection, codePage, lineEnd,
                       [&out](std::string_view records) { out += records; });
    if (out != (lineEnd == "\n" ? expected : reference::WithCrLf(expected))) Mismatch("reader");
  }
  // The page as one line, through the line-level functions.
  if (IsContactLine(page, codePage) != (reference::Find(page, "L_n", codePage) >= 0)) {
    Mismatch("IsContactLine");
  }
  if (BuildContactRecord(page, selection, codePage) !=
      reference::Record(page, selection, codePage)) {
    Mismatch("BuildContactRecord");
  }
  return 0;
}
