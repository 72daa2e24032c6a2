#include "homepage/address_cipher.h"

std::string DecipherText(std::string text, std::uint16_t startKey) {
  const std::size_t n = text.size() / 2;
  std::string result(n, '\0');
  std::uint16_t key = startKey;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned hi = static_cast<unsigned char>(text[2 * i]);
    const unsigned lo = static_cast<unsigned char>(text[2 * i + 1]);
    // For capital letters: (hi - 'A') * 26 + (lo - 'A'); 1755 = 'A' * 27. Low 8 bits only.
    const unsigned char stage1 = static_cast<unsigned char>((hi * 26 + lo - 1755) & 0xFF);
    result[i] = static_cast<char>(stage1 ^ (key >> 8));
    key = static_cast<std::uint16_t>((stage1 + key) * 94991u + 7852u);
  }
  return result;
}
