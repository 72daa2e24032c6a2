#include "homepage/address_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "fake_platform.h"
#include "homepage/home_page.h"
#include "test_support.h"
#include "tools/encipher.h"

namespace {

using namespace std::string_literals;
using test::Escaped;

struct CipherCase {
  const char* what;
  std::string text;
  std::uint16_t key;
  std::string plain;
};

// Worked by hand: stage 1 is (hi * 26 + lo - 1755) mod 256, the byte is stage 1 XOR the key's
// high byte, and the next key is ((stage 1 + key) * 94991 + 7852) mod 65536.
const CipherCase kCases[] = {
    {"empty", "", 0x1234, ""},
    {"one letter", "Q", 0x1234, ""},
    {"AA gives the key's high byte", "AA", 0x1234, "\x12"},
    {"JW (256) gives it too", "JW", 0xAB00, "\xAB"},
    {"high byte 0 leaves stage 1 as is", "BC", 0x00FF, "\x1C"},
    {"ZZ keeps the low 8 bits of 675", "ZZ", 0xFFFF, "\x5C"},
    // Key 0: b = 1 gives 1; the next key is 94991 + 7852 = 102843 = 37307 (0x91BB) mod 65536.
    {"the key rolls", "ABAB", 0x0000, "\x01\x90"},
    // b + k = 0: the next key is 7852 (0x1EAC), so AA then gives 0x1E.
    {"b + k = 0", "AAAA", 0x0000, "\x00\x1E"s},
    // b + k = 28 + 65508 = 65536.
    {"b + k = 65536", "BCAA", 0xFFE4, "\xE3\x1E"},
    // A result byte of 0, first or last, keeps the length; the third key is
    // (7852 * 94991 + 7852) mod 65536 = 0x2EC0.
    {"zero byte first", "AAAAAA", 0x0000, "\x00\x1E\x2E"s},
    {"zero byte last", "BBCN", 0x0000, "\x1B\x00"s},  // the second key is 0x4141
    // Any byte values: (0 * 26 + 0 - 1755) mod 256 = 37, (255 * 27 - 1755) mod 256 = 10,
    // ('a' * 26 + 'z' - 1755) mod 256 = 121.
    {"zero bytes as letters", "\0\0"s, 0x0000, "%"},
    {"0xFF as letters", "\xFF\xFF", 0x0000, "\n"},
    {"lower case", "az", 0x0000, "y"},
};

TEST(DecipherText, HandWorkedCases) {
  for (const CipherCase& c : kCases) {
    EXPECT_EQ(DecipherText(c.text, c.key), c.plain) << c.what;
  }
}

TEST(DecipherText, AnOddLastLetterHasNoEffect) {
  for (const char last : {'A', 'M', 'Z', '\0', '\xFF'}) {
    EXPECT_EQ(DecipherText("HELLOWORLD"s + last, 0x5A3C), DecipherText("HELLOWORLD", 0x5A3C));
  }
}

// The same stage-1 byte deciphers differently as the key rolls on.
TEST(DecipherText, TheKeyDependsOnEveryEarlierByte) {
  EXPECT_NE(DecipherText("BBBBBBBB", 0x5A3C).substr(3, 1),
            DecipherText("CBBBBBBB", 0x5A3C).substr(3, 1));
  const std::string same = DecipherText("QQQQQQQQQQ", 0x5A3C);
  EXPECT_NE(same.find_first_not_of(same[0]), std::string::npos);
}

// The definition in plain wide integers, every value reduced only where the definition
// reduces it.
std::string ReferenceDecipher(const std::string& text, std::uint16_t startKey) {
  std::string out;
  long long key = startKey;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const long long hi = static_cast<unsigned char>(text[i]);
    const long long lo = static_cast<unsigned char>(text[i + 1]);
    const long long b = (((hi * 26 + lo - 1755) % 256) + 256) % 256;
    out += static_cast<char>(b ^ (key >> 8));
    key = ((b + key) * 94991 + 7852) % 65536;
  }
  return out;
}

TEST(DecipherText, AgreesWithTheDefinitionOnRandomBytes) {
  std::mt19937 random(1234);
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 40, '\0');
    for (char& c : text) {
      c = static_cast<char>(round % 2 == 0 ? 'A' + random() % 26 : random() % 256);
    }
    const auto key = static_cast<std::uint16_t>(random());
    ASSERT_EQ(DecipherText(text, key), ReferenceDecipher(text, key))
        << Escaped(text) << " key " << key;
  }
}

TEST(DecipherText, UndoesEncipherText) {
  std::mt19937 random(99);
  for (int round = 0; round < 20000; ++round) {
    std::string plain(random() % 64, '\0');
    for (char& c : plain) c = static_cast<char>(random() % 256);
    const auto key = static_cast<std::uint16_t>(random());
    const std::string text = EncipherText(plain, key);
    ASSERT_EQ(text.size(), 2 * plain.size());
    ASSERT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << text;
    ASSERT_EQ(DecipherText(text, key), plain) << Escaped(plain) << " key " << key;
  }
}

TEST(HomePage, Address) {
  ASSERT_EQ(std::strlen(HOME_PAGE_TEXT), 52u);
  EXPECT_EQ(std::string(HOME_PAGE_TEXT).find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
            std::string::npos);
  EXPECT_EQ(DecipherText(HOME_PAGE_TEXT, HOME_PAGE_KEY), "https://korvel.example.com");
}

TEST(HomePage, OpenHomePageLaunchesTheShellWithTheAddress) {
  test::FakePlatform platform;
  OpenHomePage(platform);
  EXPECT_EQ(platform.events,
            std::vector<std::string>{"launch: explorer.exe https://korvel.example.com"});
}

}  // namespace
