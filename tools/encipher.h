#pragma once

#include <cstdint>
#include <string>

// The inverse of DecipherText: each byte masked by the rolling key, written as two capital
// letters (a base-26 number, A = 0).
inline std::string EncipherText(const std::string& plain, std::uint16_t startKey) {
  std::string text;
  std::uint16_t key = startKey;
  for (const char c : plain) {
    const unsigned stage1 = static_cast<unsigned char>(c) ^ (key >> 8);
    text += static_cast<char>('A' + stage1 / 26);
    text += static_cast<char>('A' + stage1 % 26);
    key = static_cast<std::uint16_t>((stage1 + key) * 94991u + 7852u);
  }
  return text;
}
