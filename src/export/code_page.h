#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The code page that substring searches follow. Under a double-byte code page a lead byte
// takes the byte behind it along, so a match never begins on the second byte of a character;
// under a single-byte code page, and under UTF-8, every byte is a character boundary.
class CodePage {
 public:
  static constexpr std::uint32_t kUtf8 = 65001;

  // Plain byte search (single-byte code pages, UTF-8); lead bytes may be added.
  explicit CodePage(std::uint32_t id = 1252) : id_(id) {}

  // The code pages the program knows: 932, 936, 949, 950 (double-byte), 65001 and the
  // common single-byte ones. Anything else gives no value.
  static std::optional<CodePage> FromId(std::uint32_t id);

  // A code page from a locale's character set name, as nl_langinfo(CODESET) gives it.
  // Unknown names fall back to a plain byte search.
  static CodePage FromCharsetName(std::string_view name);

  std::uint32_t Id() const { return id_; }
  bool IsDoubleByte() const { return doubleByte_; }
  bool IsLeadByte(unsigned char value) const { return lead_[value]; }
  // Marks bytes first..last (inclusive) as lead bytes, the form the system reports them in.
  void AddLeadRange(unsigned char first, unsigned char last);

 private:
  std::uint32_t id_;
  bool doubleByte_ = false;
  std::array<bool, 256> lead_{};
};

// The system's code page, taken once when the program starts (system-specific).
CodePage SystemCodePage();
