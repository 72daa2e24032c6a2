#include "export/contact_line.h"

#include <cstddef>

#include "export/search.h"

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
                         const CodePage& codePage) {
  const LineSearch search(line, codePage);
  // " e=\"" starts both the QQ number and the e-mail address; look for it once.
  const std::ptrdiff_t emailStart =
      selection.QQNumberOn() || selection.EmailOn() ? search.Find(kEmailStart) : -1;
  if (selection.QQNumberOn()) {
    out += SliceBetween(line, emailStart, kEmailStart.size(), search.Find(kQQNumberEnd));
  }
  if (selection.NameOn()) {
    if (selection.QQNumberOn()) out += kFieldSeparator;
    out += SliceBetween(line, search.Find(kNameStart), kNameStart.size(), search.Find(kNameEnd));
  }
  if (selection.EmailOn()) {
    if (selection.QQNumberOn() || selection.NameOn()) out += kFieldSeparator;
    out += SliceBetween(line, emailStart, kEmailStart.size(), search.Find(kEmailEnd));
  }
  out += '\n';
}

std::string BuildContactRecord(std::string_view line, const FieldSelection& selection,
                               const CodePage& codePage) {
  std::string record;
  AppendContactRecord(record, line, selection, codePage);
  return record;
}
