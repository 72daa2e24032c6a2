// Prepares a text for DecipherText: prints the letter pairs that decipher to ADDRESS under KEY.
//   encipher ADDRESS KEY
#include "tools/encipher.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: encipher ADDRESS KEY\n");
    return 2;
  }
  const unsigned long key = std::strtoul(argv[2], nullptr, 0);
  if (key > 0xFFFF) {
    std::fprintf(stderr, "encipher: KEY must be 0 to 65535\n");
    return 2;
  }
  std::printf("%s\n", EncipherText(argv[1], static_cast<std::uint16_t>(key)).c_str());
  return 0;
}
