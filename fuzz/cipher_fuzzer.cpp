// DecipherText on any bytes and start key: it agrees with its two-stage formulas, and it undoes
// enciphering. Input: bytes 0-1 the start key (little-endian), the rest the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "homepage/address_cipher.h"
#include "tools/encipher.h"

namespace {

std::string Formulas(const std::string& text, std::uint16_t startKey) {
  std::string result;
  std::uint32_t key = startKey;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const long hi = static_cast<unsigned char>(text[i]);
    const long lo = static_cast<unsigned char>(text[i + 1]);
    const auto stage1 = static_cast<std::uint32_t>(((hi * 26 + lo - 1755) % 256 + 256) % 256);
    result += static_cast<char>(stage1 ^ (key >> 8));
    key = ((stage1 + key) * 94991u + 7852u) % 65536u;
  }
  return result;
}

[[noreturn]] void Mismatch(const char* what) {
  std::fprintf(stderr, "mismatch: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto key = static_cast<std::uint16_t>(data[0] | data[1] << 8);
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string plain = DecipherText(text, key);
  if (plain.size() != text.size() / 2) Mismatch("length");
  if (plain != Formulas(text, key)) Mismatch("formulas");
  if (DecipherText(EncipherText(text, key), key) != text) Mismatch("round trip");
  return 0;
}
