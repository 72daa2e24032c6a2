#include "export/search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

std::size_t FindBytesScalar(const char* h, std::size_t n, std::string_view needle,
                            std::size_t from) {
  const std::size_t m = needle.size();
  const char first = needle[0];
  for (std::size_t i = from; i + m <= n;) {
    const void* hit = std::memchr(h + i, first, n - m + 1 - i);
    if (hit == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - h);
    if (std::memcmp(h + i + 1, needle.data() + 1, m - 1) == 0) return i;
    ++i;
  }
  return std::string_view::npos;
}

}  // namespace

std::size_t FindBytes(std::string_view haystack, std::string_view needle) {
  const char* h = haystack.data();
  const std::size_t n = haystack.size();
  const std::size_t m = needle.size();
  if (m == 0) return 0;
  if (m > n) return std::string_view::npos;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Compare the needle's first and last bytes against 16 positions at once; only positions
  // where both agree are compared in full.
  if (m > 1) {
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    for (; i + m - 1 + 16 <= n; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
      unsigned mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
      while (mask != 0) {
        const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
        if (std::memcmp(h + i + bit + 1, needle.data() + 1, m - 2) == 0) return i + bit;
        mask &= mask - 1;
      }
    }
  }
#endif
  return FindBytesScalar(h, n, needle, i);
}

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    // Skip ASCII eight bytes at a time.
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
      p += 8;
    }
    if (p == end) break;
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) < length) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
    }
    p += length;
  }
  return true;
}

LineSearch::LineSearch(std::string_view line, const CodePage& codePage)
    : line_(line.substr(0, line.find('\0'))), codePage_(codePage) {}

bool LineSearch::IsUtf8() const {
  if (utf8_ < 0) utf8_ = IsValidUtf8(line_) ? 1 : 0;
  return utf8_ == 1;
}

// Every byte in front of `offset` back to the nearest byte that is no lead byte (or to the
// line's start) is a lead byte; the byte behind a non-lead byte always starts a character, and
// from there the lead bytes pair up. So `offset` starts a character when that run is even.
bool LineSearch::StartsCharacter(std::size_t offset) const {
  std::size_t run = 0;
  while (run < offset &&
         codePage_.IsLeadByte(static_cast<unsigned char>(line_[offset - 1 - run]))) {
    ++run;
  }
  return run % 2 == 0;
}

std::ptrdiff_t LineSearch::Find(std::string_view pattern) const {
  for (std::size_t from = 0;;) {
    const std::size_t hit = FindBytes(line_.substr(from), pattern);
    if (hit == std::string_view::npos) return -1;
    const std::size_t at = from + hit;
    if (!codePage_.IsDoubleByte() || StartsCharacter(at) || IsUtf8()) {
      return static_cast<std::ptrdiff_t>(at);
    }
    from = at + 1;
  }
}
