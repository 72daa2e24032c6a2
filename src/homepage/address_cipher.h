#pragma once

#include <cstdint>
#include <string>

// Deciphers text stored as letter pairs: each pair is a two-digit base-26 number (A = 0) that
// stands for one byte, which a rolling 16-bit key then unmasks. A last odd letter is ignored.
std::string DecipherText(std::string text, std::uint16_t startKey);
