#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "export/code_page.h"

namespace test {

// The code pages the exporter supports with lead bytes, and a few without.
inline constexpr std::uint32_t kDoubleBytePages[] = {932, 936, 949, 950};
inline constexpr std::uint32_t kAllPages[] = {932, 936, 949, 950, 1252, 437, 65001};

inline CodePage Page(std::uint32_t id) { return *CodePage::FromId(id); }

// Bytes as a readable string for failure messages: printable ASCII as is, the rest as \xHH.
inline std::string Escaped(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

// A fresh, empty folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("korvel-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
    path_ = std::filesystem::canonical(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The full path of `name` inside the folder, in the system's own form.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace test
