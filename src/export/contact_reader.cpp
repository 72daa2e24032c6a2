#include "export/contact_reader.h"

#include <cstdint>
#include <cstring>

#include "export/contact_line.h"
#include "export/search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The fuzzer builds with small blocks, so that lines cross and outgrow them often.
#ifndef KORVEL_READER_BLOCK_SIZE
#define KORVEL_READER_BLOCK_SIZE (std::size_t{1} << 20)
#endif
constexpr std::size_t kBlockSize = KORVEL_READER_BLOCK_SIZE;
static_assert(kBlockSize >= 2);
constexpr char kEndOfText = 0x1A;

// The field markers are found in one pass over the line, from the few bytes that anchor them:
// the start markers end with a double quote, the name's and the e-mail's end markers begin with
// one, and the QQ number's end marker begins with an at sign.
constexpr char kQuote = '"';
constexpr char kAt = '@';
static_assert(kEmailStart.back() == kQuote && kNameStart.back() == kQuote);
static_assert(kNameEnd.front() == kQuote && kEmailEnd.front() == kQuote);
static_assert(kQQNumberEnd.front() == kAt);

// First byte offsets of the markers in a line, -1 where missing or not wanted.
struct MarkerPositions {
  std::ptrdiff_t emailStart = -1;  // also the QQ number's start
  std::ptrdiff_t qqNumberEnd = -1;
  std::ptrdiff_t nameStart = -1;
  std::ptrdiff_t nameEnd = -1;
  std::ptrdiff_t emailEnd = -1;
};

// Whether `marker` lies in `line` with its last byte at `at`.
inline bool EndsAt(const char* line, std::size_t at, std::string_view marker) {
  return at + 1 >= marker.size() &&
         std::memcmp(line + at + 1 - marker.size(), marker.data(), marker.size() - 1) == 0;
}

// Whether `marker` lies in a line of `size` bytes with its first byte at `at`.
inline bool BeginsAt(const char* line, std::size_t size, std::size_t at, std::string_view marker) {
  return size - at >= marker.size() &&
         std::memcmp(line + at + 1, marker.data() + 1, marker.size() - 1) == 0;
}

// Finds the first byte occurrence of each wanted marker in `line`, visiting its quotes and at
// signs in order and stopping once every wanted marker is found.
class MarkerScan {
 public:
  MarkerScan(std::string_view line, bool qq, bool name, bool email)
      : p_(line.data()), n_(line.size()) {
    // A position of -2 stands for "not wanted" until Result.
    if (qq || email) at_.emailStart = -1, ++open_; else at_.emailStart = -2;
    if (qq) at_.qqNumberEnd = -1, ++open_; else at_.qqNumberEnd = -2;
    if (name) at_.nameStart = at_.nameEnd = -1, open_ += 2; else at_.nameStart = at_.nameEnd = -2;
    if (email) at_.emailEnd = -1, ++open_; else at_.emailEnd = -2;
  }

  MarkerPositions Run() {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8(kQuote);
    const __m128i atSign = _mm_set1_epi8(kAt);
    for (; open_ > 0 && i + 16 <= n_; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + i));
      auto mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, atSign))));
      while (mask != 0 && open_ > 0) {
        Visit(i + static_cast<unsigned>(__builtin_ctz(mask)));
        mask &= mask - 1;
      }
    }
#endif
    for (; open_ > 0 && i < n_; ++i) {
      if (p_[i] == kQuote || p_[i] == kAt) Visit(i);
    }
    for (std::ptrdiff_t* slot :
         {&at_.emailStart, &at_.qqNumberEnd, &at_.nameStart, &at_.nameEnd, &at_.emailEnd}) {
      if (*slot < 0) *slot = -1;
    }
    return at_;
  }

 private:
  void Visit(std::size_t i) {
    if (p_[i] == kQuote) {
      if (at_.emailStart == -1 && EndsAt(p_, i, kEmailStart)) Found(at_.emailStart, i + 1 - kEmailStart.size());
      if (at_.nameStart == -1 && EndsAt(p_, i, kNameStart)) Found(at_.nameStart, i + 1 - kNameStart.size());
      if (at_.nameEnd == -1 && BeginsAt(p_, n_, i, kNameEnd)) Found(at_.nameEnd, i);
      if (at_.emailEnd == -1 && BeginsAt(p_, n_, i, kEmailEnd)) Found(at_.emailEnd, i);
    } else if (at_.qqNumberEnd == -1 && BeginsAt(p_, n_, i, kQQNumberEnd)) {
      Found(at_.qqNumberEnd, i);
    }
  }

  void Found(std::ptrdiff_t& slot, std::size_t offset) {
    slot = static_cast<std::ptrdiff_t>(offset);
    --open_;
  }

  const char* p_;
  std::size_t n_;
  MarkerPositions at_;
  int open_ = 0;
};

// The slice between a start marker found at `s` and an end marker found at `e` (-1: missing),
// clamped exactly as ExtractBetween does.
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

// Collects a record's pieces and appends them to a string in one go.
class RecordBuilder {
 public:
  void Add(std::string_view piece) {
    if (piece.empty()) return;  // an empty slice may have no data at all
    if (piece.size() <= sizeof(bytes_) - size_) {
      std::memcpy(bytes_ + size_, piece.data(), piece.size());
      size_ += piece.size();
    } else {
      spill_.append(bytes_, size_);
      spill_.append(piece);
      size_ = 0;
    }
  }
  void AppendTo(std::string& out) {
    if (!spill_.empty()) {
      out += spill_;
      spill_.clear();
    }
    out.append(bytes_, size_);
    size_ = 0;
  }

 private:
  char bytes_[512];
  std::size_t size_ = 0;
  std::string spill_;
};

// AppendContactRecord, with the markers found in one pass and `lineEnd` for the line feed.
void AppendRecord(std::string& out, std::string_view line, const FieldSelection& selection,
                  const CodePage& codePage, std::string_view lineEnd) {
  const bool qq = selection.QQNumberOn();
  const bool name = selection.NameOn();
  const bool email = selection.EmailOn();
  MarkerPositions at = MarkerScan(line, qq, name, email).Run();
  if (codePage.IsDoubleByte()) {
    // A byte match that begins behind a lead byte does not count (unless the line is UTF-8):
    // such a marker is looked for again along the characters.
    auto fine = [&](std::ptrdiff_t position) {
      return position < 0 || StartsCharacter(line, static_cast<std::size_t>(position), codePage);
    };
    if (!fine(at.emailStart) || !fine(at.qqNumberEnd) || !fine(at.nameStart) ||
        !fine(at.nameEnd) || !fine(at.emailEnd)) {
      const LineSearch search(line, codePage);
      auto settle = [&](std::ptrdiff_t& position, std::string_view marker) {
        if (position >= 0 && !search.Accepts(static_cast<std::size_t>(position))) {
          position = search.Find(marker);
        }
      };
      settle(at.emailStart, kEmailStart);
      settle(at.qqNumberEnd, kQQNumberEnd);
      settle(at.nameStart, kNameStart);
      settle(at.nameEnd, kNameEnd);
      settle(at.emailEnd, kEmailEnd);
    }
  }
  RecordBuilder record;
  if (qq) record.Add(SliceBetween(line, at.emailStart, kEmailStart.size(), at.qqNumberEnd));
  if (name) {
    if (qq) record.Add(kFieldSeparator);
    record.Add(SliceBetween(line, at.nameStart, kNameStart.size(), at.nameEnd));
  }
  if (email) {
    if (qq || name) record.Add(kFieldSeparator);
    record.Add(SliceBetween(line, at.emailStart, kEmailStart.size(), at.emailEnd));
  }
  record.Add(lineEnd);
  record.AppendTo(out);
}

}  // namespace

ContactReader::ContactReader(InputFile& input, const CodePage& codePage)
    : input_(input), codePage_(codePage), buffer_(new char[kBlockSize]), capacity_(kBlockSize) {}

void ContactReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (capacity_ - end_ < kBlockSize / 2) {
    // A line longer than a block: grow to hold it.
    std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  char* fresh = buffer_.get() + end_;
  std::size_t got = input_.Read(fresh, capacity_ - end_);
  if (got == 0) {
    ended_ = true;
    return;
  }
  if (const void* eot = std::memchr(fresh, kEndOfText, got)) {
    got = static_cast<std::size_t>(static_cast<const char*>(eot) - fresh);
    ended_ = true;
  }
  end_ += got;
}

bool ContactReader::ReadRecords(std::string& out, const FieldSelection& selection,
                                std::string_view lineEnd) {
  // What is left over from the last block is part of one line: it holds no line feed.
  const std::size_t leftover = end_ - begin_;
  if (!ended_) Fill();
  const std::string_view pending(buffer_.get() + begin_, end_ - begin_);
  std::size_t complete = pending.size();
  if (!ended_) {
    const std::size_t lineFeed = pending.substr(leftover).rfind('\n');
    complete = lineFeed == std::string_view::npos ? 0 : leftover + lineFeed + 1;
  }
  ProcessLines(pending.substr(0, complete), out, selection, lineEnd);
  begin_ += complete;
  return !ended_;
}

void ContactReader::ProcessLines(std::string_view lines, std::string& out,
                                 const FieldSelection& selection, std::string_view lineEnd) const {
  // Only a line that holds the marker byte for byte can be a contact line, so skip from one
  // such occurrence to the next and look at the lines around them alone.
  const char* data = lines.data();
  std::size_t zeroAt = lines.find('\0');  // the first zero byte not in front of the line at hand
  for (std::size_t from = 0; from < lines.size();) {
    const std::size_t hit = FindBytes(lines.substr(from), kContactMarker);
    if (hit == std::string_view::npos) break;
    // The first occurrence in its line: the lines in front of it in this block hold none.
    const std::size_t at = from + hit;
    std::size_t start = at;
    while (start > from && data[start - 1] != '\n') --start;
    std::size_t stop = lines.find('\n', at + kContactMarker.size());
    std::size_t end;
    if (stop == std::string_view::npos) {
      stop = end = lines.size();  // the input's last line, without a line feed: it keeps every byte
    } else {
      end = stop;
      if (end > start && data[end - 1] == '\r') --end;
    }
    from = stop + 1;
    // The line ends at its first zero byte; a marker behind it does not count.
    if (zeroAt < start) zeroAt = lines.find('\0', start);
    if (zeroAt < end) {
      if (zeroAt < at) continue;
      end = zeroAt;
    }
    const std::string_view line(data + start, end - start);
    if (!StartsCharacter(line, at - start, codePage_) && !IsContactLine(line, codePage_)) continue;
    AppendRecord(out, line, selection, codePage_, lineEnd);
  }
}

void AppendWithCrLf(std::string& out, std::string_view text) {
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t lineFeed = text.find('\n', from);
    if (lineFeed == std::string_view::npos) {
      out.append(text.substr(from));
      break;
    }
    out.append(text.substr(from, lineFeed - from));
    out.append("\r\n");
    from = lineFeed + 1;
  }
}

void WriteText(OutputFile& output, std::string_view text) {
  std::string chunk;
  for (std::size_t from = 0; from < text.size(); from += kBlockSize) {
    chunk.clear();
    AppendWithCrLf(chunk, text.substr(from, kBlockSize));
    output.Write(chunk);
  }
}
