#include "export/contact_line.h"

#include <cstddef>
#include <cstring>

#include "export/search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The slice between a start marker found at `s` and an end marker found at `e` (-1: missing).
// With the start marker missing the slice begins at length(start) - 1; the count is clamped
// to what the text holds, a negative count giving the empty slice.
std::string_view SliceBetween(std::string_view text, std::ptrdiff_t s, std::size_t startLength,
                              std::ptrdiff_t e) {
  const auto length = static_cast<std::ptrdiff_t>(text.size());
  std::ptrdiff_t first = s + static_cast<std::ptrdiff_t>(startLength);
  std::ptrdiff_t count = e - first;
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first + count > length) count = length - first;
  if (first > length) count = 0;
  if (count <= 0) return {};
  return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}

// The field markers of a record are found in one pass over the line, from the few bytes that
// anchor them: the start markers end with a double quote, the name's and the e-mail's end
// markers begin with one, and the QQ number's end marker begins with an at sign.
constexpr char kQuote = '"';
constexpr char kAt = '@';
static_assert(kEmailStart.back() == kQuote && kNameStart.back() == kQuote);
static_assert(kNameEnd.front() == kQuote && kEmailEnd.front() == kQuote);
static_assert(kQQNumberEnd.front() == kAt);

// Byte offsets of the first byte occurrence of each marker, -1 where missing.
struct MarkerPositions {
  std::ptrdiff_t emailStart = -1;  // also the QQ number's start
  std::ptrdiff_t qqNumberEnd = -1;
  std::ptrdiff_t nameStart = -1;
  std::ptrdiff_t nameEnd = -1;
  std::ptrdiff_t emailEnd = -1;
};

class MarkerScan {
 public:
  // Only the markers of the selected fields are looked for; the others stay -1.
  MarkerScan(std::string_view line, const FieldSelection& selection) : line_(line) {
    Want(at_.emailStart, selection.QQNumberOn() || selection.EmailOn());
    Want(at_.qqNumberEnd, selection.QQNumberOn());
    Want(at_.nameStart, selection.NameOn());
    Want(at_.nameEnd, selection.NameOn());
    Want(at_.emailEnd, selection.EmailOn());
  }

  // Visits the line's quotes and at signs in order, until every wanted marker is found.
  MarkerPositions Run() {
    const char* p = line_.data();
    const std::size_t n = line_.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8(kQuote);
    const __m128i atSign = _mm_set1_epi8(kAt);
    for (; open_ > 0 && i + 16 <= n; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      auto mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, atSign))));
      for (; mask != 0 && open_ > 0; mask &= mask - 1) {
        Visit(i + static_cast<unsigned>(__builtin_ctz(mask)));
      }
    }
#endif
    for (; open_ > 0 && i < n; ++i) {
      if (p[i] == kQuote || p[i] == kAt) Visit(i);
    }
    for (std::ptrdiff_t* slot :
         {&at_.emailStart, &at_.qqNumberEnd, &at_.nameStart, &at_.nameEnd, &at_.emailEnd}) {
      if (*slot == kWanted) *slot = -1;
    }
    return at_;
  }

 private:
  static constexpr std::ptrdiff_t kWanted = -2;

  void Want(std::ptrdiff_t& slot, bool wanted) {
    if (!wanted) return;
    slot = kWanted;
    ++open_;
  }

  // Whether `marker` lies in the line with its last byte at `i`.
  bool EndsAt(std::size_t i, std::string_view marker) const {
    return i + 1 >= marker.size() &&
           std::memcmp(line_.data() + i + 1 - marker.size(), marker.data(), marker.size()) == 0;
  }
  // Whether `marker` lies in the line with its first byte at `i`.
  bool BeginsAt(std::size_t i, std::string_view marker) const {
    return line_.size() - i >= marker.size() &&
           std::memcmp(line_.data() + i, marker.data(), marker.size()) == 0;
  }

  void Found(std::ptrdiff_t& slot, std::size_t offset) {
    slot = static_cast<std::ptrdiff_t>(offset);
    --open_;
  }

  void Visit(std::size_t i) {
    if (line_[i] == kQuote) {
      if (at_.emailStart == kWanted && EndsAt(i, kEmailStart)) {
        Found(at_.emailStart, i + 1 - kEmailStart.size());
      }
      if (at_.nameStart == kWanted && EndsAt(i, kNameStart)) {
        Found(at_.nameStart, i + 1 - kNameStart.size());
      }
      if (at_.nameEnd == kWanted && BeginsAt(i, kNameEnd)) Found(at_.nameEnd, i);
      if (at_.emailEnd == kWanted && BeginsAt(i, kEmailEnd)) Found(at_.emailEnd, i);
    } else if (at_.qqNumberEnd == kWanted && BeginsAt(i, kQQNumberEnd)) {
      Found(at_.qqNumberEnd, i);
    }
  }

  std::string_view line_;
  MarkerPositions at_;
  int open_ = 0;
};

// The markers as the code page's search finds them: a byte match that begins behind a lead
// byte does not count (unless the line is valid UTF-8) and is looked for again along the
// characters.
MarkerPositions FindMarkers(std::string_view line, const FieldSelection& selection,
                            const CodePage& codePage) {
  MarkerPositions at = MarkerScan(line, selection).Run();
  if (!codePage.IsDoubleByte()) return at;
  const auto fine = [&](std::ptrdiff_t position) {
    return position < 0 || StartsCharacter(line, static_cast<std::size_t>(position), codePage);
  };
  if (fine(at.emailStart) && fine(at.qqNumberEnd) && fine(at.nameStart) && fine(at.nameEnd) &&
      fine(at.emailEnd)) {
    return at;
  }
  const LineSearch search(line, codePage);
  const auto settle = [&](std::ptrdiff_t& position, std::string_view marker) {
    if (position >= 0 && !search.Accepts(static_cast<std::size_t>(position))) {
      position = search.Find(marker);
    }
  };
  settle(at.emailStart, kEmailStart);
  settle(at.qqNumberEnd, kQQNumberEnd);
  settle(at.nameStart, kNameStart);
  settle(at.nameEnd, kNameEnd);
  settle(at.emailEnd, kEmailEnd);
  return at;
}

}  // namespace

bool IsContactLine(std::string_view line, const CodePage& codePage) {
  return LineSearch(line, codePage).Find(kContactMarker) >= 0;
}

std::string ExtractBetween(std::string_view text, std::string_view start, std::string_view end,
                           const CodePage& codePage) {
  const LineSearch search(text, codePage);
  return std::string(SliceBetween(text, search.Find(start), start.size(), search.Find(end)));
}

void AppendContactRecord(std::string& out, std::string_view line, const FieldSelection& selection,
                         const CodePage& codePage, std::string_view terminator) {
  const MarkerPositions at = FindMarkers(line, selection, codePage);
  // The record's pieces, written with one resize of `out`.
  std::string_view pieces[6];
  std::size_t count = 0;
  if (selection.QQNumberOn()) {
    pieces[count++] = SliceBetween(line, at.emailStart, kEmailStart.size(), at.qqNumberEnd);
  }
  if (selection.NameOn()) {
    if (selection.QQNumberOn()) pieces[count++] = kFieldSeparator;
    pieces[count++] = SliceBetween(line, at.nameStart, kNameStart.size(), at.nameEnd);
  }
  if (selection.EmailOn()) {
    if (selection.QQNumberOn() || selection.NameOn()) pieces[count++] = kFieldSeparator;
    pieces[count++] = SliceBetween(line, at.emailStart, kEmailStart.size(), at.emailEnd);
  }
  pieces[count++] = terminator;
  std::size_t size = out.size();
  for (std::size_t k = 0; k < count; ++k) size += pieces[k].size();
  const std::size_t old = out.size();
  out.resize(size);
  char* to = out.data() + old;
  for (std::size_t k = 0; k < count; ++k) {
    if (pieces[k].empty()) continue;  // an empty slice may have no bytes behind it at all
    std::memcpy(to, pieces[k].data(), pieces[k].size());
    to += pieces[k].size();
  }
}

std::string BuildContactRecord(std::string_view line, const FieldSelection& selection,
                               const CodePage& codePage) {
  std::string record;
  AppendContactRecord(record, line.substr(0, line.find('\0')), selection, codePage);
  return record;
}
