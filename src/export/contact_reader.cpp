#include "export/contact_reader.h"

#include <cstring>

#include "export/contact_line.h"
#include "export/search.h"

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr char kEndOfText = 0x1A;

// Offset just past the last line feed of `text`, or 0 when it has none.
std::size_t EndOfLastLine(std::string_view text) {
  const std::size_t at = text.rfind('\n');
  return at == std::string_view::npos ? 0 : at + 1;
}

}  // namespace

ContactReader::ContactReader(InputFile& input, const CodePage& codePage)
    : input_(input), codePage_(codePage), buffer_(kBlockSize) {}

void ContactReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kBlockSize / 2) buffer_.resize(buffer_.size() * 2);
  char* fresh = buffer_.data() + end_;
  std::size_t got = input_.Read(fresh, buffer_.size() - end_);
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

bool ContactReader::ReadRecords(std::string& out, const FieldSelection& selection) {
  if (!ended_) Fill();
  const std::string_view pending(buffer_.data() + begin_, end_ - begin_);
  const std::size_t complete = ended_ ? pending.size() : EndOfLastLine(pending);
  ProcessLines(pending.substr(0, complete), out, selection);
  begin_ += complete;
  return !ended_;
}

void ContactReader::ProcessLines(std::string_view lines, std::string& out,
                                 const FieldSelection& selection) {
  // Only a line that holds the marker byte for byte can be a contact line, so skip from one
  // such occurrence to the next and look at the lines around them alone.
  for (std::size_t from = 0; from < lines.size();) {
    const std::size_t hit = FindBytes(lines.substr(from), kContactMarker);
    if (hit == std::string_view::npos) break;
    const std::size_t at = from + hit;
    const std::size_t lineFeedBefore = lines.rfind('\n', at);  // never before from - 1
    const std::size_t start = lineFeedBefore == std::string_view::npos ? 0 : lineFeedBefore + 1;
    std::size_t stop = lines.find('\n', at);
    std::string_view line;
    if (stop == std::string_view::npos) {
      stop = lines.size();  // the input's last line, without a line feed: it keeps every byte
      line = lines.substr(start);
    } else {
      line = lines.substr(start, stop - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    }
    line = line.substr(0, line.find('\0'));
    if (IsContactLine(line, codePage_)) AppendContactRecord(out, line, selection, codePage_);
    from = stop + 1;
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
