#include "export/code_page.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// Single-byte code pages: Windows ANSI and OEM pages, ISO 8859 and US-ASCII.
constexpr std::uint32_t kSingleByte[] = {
    437,   720,   737,   775,   850,   852,   855,   857,   858,   862,   866,
    874,   1250,  1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  20127,
    28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605};

std::string Normalised(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c != '-' && c != '_') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace

void CodePage::AddLeadRange(unsigned char first, unsigned char last) {
  for (unsigned b = first; b <= last; ++b) lead_[b] = true;
  doubleByte_ = doubleByte_ || first <= last;
}

std::optional<CodePage> CodePage::FromId(std::uint32_t id) {
  CodePage page(id);
  switch (id) {
    case 932:  // Shift-JIS
      page.AddLeadRange(0x81, 0x9F);
      page.AddLeadRange(0xE0, 0xFC);
      return page;
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      page.AddLeadRange(0x81, 0xFE);
      return page;
    default:
      break;
  }
  if (id == kUtf8 ||
      std::find(std::begin(kSingleByte), std::end(kSingleByte), id) != std::end(kSingleByte)) {
    return page;
  }
  return std::nullopt;
}

CodePage CodePage::FromCharsetName(std::string_view name) {
  const std::string n = Normalised(name);
  std::uint32_t id = 0;
  if (n == "UTF8") {
    id = kUtf8;
  } else if (n == "GBK" || n == "GB2312" || n == "GB18030" || n == "EUCCN" || n == "CP936") {
    id = 936;
  } else if (n == "BIG5" || n == "BIG5HKSCS" || n == "CP950") {
    id = 950;
  } else if (n == "EUCKR" || n == "CP949" || n == "UHC") {
    id = 949;
  } else if (n == "SHIFTJIS" || n == "SJIS" || n == "CP932") {
    id = 932;
  }
  if (id != 0) return *FromId(id);
  return CodePage();
}
