#include "export/search.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KORVEL_HAVE_AVX2 1
#endif

namespace {

// Whether needle[2..] follows at `at`; needle[0], needle[1] and the last byte already agree.
inline bool RestMatches(const char* at, std::string_view needle) {
  return needle.size() <= 3 || std::memcmp(at + 2, needle.data() + 2, needle.size() - 3) == 0;
}

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

// The vector searches below compare the needle's first, second and last bytes against many
// positions at once; only positions where all three agree are compared in full. `*from` is
// where the scalar search has to carry on when they find nothing.

#if defined(__SSE2__)
std::size_t FindBytesSse2(const char* h, std::size_t n, std::string_view needle,
                          std::size_t* from) {
  const std::size_t m = needle.size();
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i second = _mm_set1_epi8(needle[1]);
  const __m128i last = _mm_set1_epi8(needle[m - 1]);
  std::size_t i = 0;
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + 1));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second)),
                      _mm_cmpeq_epi8(c, last))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (RestMatches(h + i + bit, needle)) return i + bit;
      mask &= mask - 1;
    }
  }
  *from = i;
  return std::string_view::npos;
}
#endif

#if defined(KORVEL_HAVE_AVX2)
__attribute__((target("avx2"))) std::size_t FindBytesAvx2(const char* h, std::size_t n,
                                                          std::string_view needle,
                                                          std::size_t* from) {
  const std::size_t m = needle.size();
  const __m256i first = _mm256_set1_epi8(needle[0]);
  const __m256i second = _mm256_set1_epi8(needle[1]);
  const __m256i last = _mm256_set1_epi8(needle[m - 1]);
  std::size_t i = 0;
  for (; i + m - 1 + 32 <= n; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + 1));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + m - 1));
    auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second)),
        _mm256_cmpeq_epi8(c, last))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (RestMatches(h + i + bit, needle)) return i + bit;
      mask &= mask - 1;
    }
  }
  *from = i;
  return std::string_view::npos;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

std::size_t FindBytes(std::string_view haystack, std::string_view needle) {
  const char* h = haystack.data();
  const std::size_t n = haystack.size();
  const std::size_t m = needle.size();
  if (m == 0) return 0;
  if (m > n) return std::string_view::npos;
  std::size_t from = 0;
  if (m > 1) {
#if defined(KORVEL_HAVE_AVX2)
    if (kHasAvx2) {
      const std::size_t hit = FindBytesAvx2(h, n, needle, &from);
      if (hit != std::string_view::npos) return hit;
      return FindBytesScalar(h, n, needle, from);
    }
#endif
#if defined(__SSE2__)
    const std::size_t hit = FindBytesSse2(h, n, needle, &from);
    if (hit != std::string_view::npos) return hit;
#endif
  }
  return FindBytesScalar(h, n, needle, from);
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

// Every byte in front of `offset` back to the nearest byte that is no lead byte (or to the
// line's start) is a lead byte; the byte behind a non-lead byte always starts a character, and
// from there the lead bytes pair up. So `offset` starts a character when that run is even.
bool StartsCharacter(std::string_view line, std::size_t offset, const CodePage& codePage) {
  if (!codePage.IsDoubleByte()) return true;
  std::size_t run = 0;
  while (run < offset && codePage.IsLeadByte(static_cast<unsigned char>(line[offset - 1 - run]))) {
    ++run;
  }
  return run % 2 == 0;
}

LineSearch::LineSearch(std::string_view line, const CodePage& codePage)
    : line_(line.substr(0, line.find('\0'))), codePage_(codePage) {}

bool LineSearch::IsUtf8() const {
  if (utf8_ < 0) utf8_ = IsValidUtf8(line_) ? 1 : 0;
  return utf8_ == 1;
}

bool LineSearch::Accepts(std::size_t offset) const {
  return StartsCharacter(line_, offset, codePage_) || IsUtf8();
}

std::ptrdiff_t LineSearch::Find(std::string_view pattern) const {
  for (std::size_t from = 0;;) {
    const std::size_t hit = FindBytes(line_.substr(from), pattern);
    if (hit == std::string_view::npos) return -1;
    const std::size_t at = from + hit;
    if (Accepts(at)) return static_cast<std::ptrdiff_t>(at);
    from = at + 1;
  }
}
