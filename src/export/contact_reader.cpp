#include "export/contact_reader.h"

#include <array>
#include <cstring>
#include <future>
#include <memory>
#include <string>

#include "export/contact_line.h"
#include "export/search.h"

namespace {

// The fuzzer builds with tiny blocks, so that lines cross and outgrow them often.
#ifndef KORVEL_READER_BLOCK_SIZE
#define KORVEL_READER_BLOCK_SIZE (std::size_t{1} << 20)
#endif
constexpr std::size_t kBlockSize = KORVEL_READER_BLOCK_SIZE;
static_assert(kBlockSize >= 2);
// Blocks read ahead of the one the sink gets next; each is turned into records on a thread of
// its own. Tiny blocks are not worth a thread: they are processed when their turn comes.
constexpr std::size_t kBlocksInFlight = 4;
constexpr std::launch kLaunch =
    kBlockSize >= (std::size_t{1} << 16) ? std::launch::async : std::launch::deferred;
constexpr char kEndOfText = 0x1A;

// Appends the records of the contact lines among `lines`, complete lines all.
void AppendRecords(std::string_view lines, std::string& out, const FieldSelection& selection,
                   const CodePage& codePage, std::string_view lineEnd) {
  // Only a line that holds the marker byte for byte can be a contact line, so skip from one
  // such occurrence to the next and look at the lines around them alone.
  const char* data = lines.data();
  std::size_t zeroAt = lines.find('\0');  // the first zero byte not in front of the line at hand
  for (std::size_t from = 0; from < lines.size();) {
    const std::size_t hit = FindBytes(lines.substr(from), kContactMarker);
    if (hit == std::string_view::npos) break;
    // The first occurrence in its line: the lines in front of it hold none.
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
    if (!StartsCharacter(line, at - start, codePage) && !IsContactLine(line, codePage)) continue;
    AppendContactRecord(out, line, selection, codePage, lineEnd);
  }
}

// One block of the input: whole lines, the last one unfinished unless the input ended there,
// and the records made of its whole lines.
struct Block {
  std::unique_ptr<char[]> bytes;  // not cleared: only bytes read are ever looked at
  std::size_t capacity = 0;
  std::size_t size = 0;
  std::size_t lines = 0;  // the whole lines are bytes[0, lines)
  std::string records;
  std::future<void> done;  // last: destroyed, and so waited for, before the bytes go
};

class BlockReader {
 public:
  explicit BlockReader(InputFile& input) : input_(input) {}

  bool Ended() const { return ended_; }

  // Fills `block` with the unfinished line of `previous` (if any) and what follows of the
  // input, until the block is full and holds a line feed, or the input ends.
  void Fill(Block& block, const Block* previous) {
    const std::size_t carried = previous == nullptr ? 0 : previous->size - previous->lines;
    if (block.capacity < carried + kBlockSize / 2) Grow(block, carried + kBlockSize);
    if (carried > 0)
      std::memcpy(block.bytes.get(), previous->bytes.get() + previous->lines, carried);
    block.size = carried;
    std::size_t lastLineFeed = std::string_view::npos;  // in the bytes read for this block
    for (;;) {
      if (block.size == block.capacity) {
        lastLineFeed = std::string_view(block.bytes.get(), block.size).rfind('\n');
        if (lastLineFeed != std::string_view::npos) break;  // none in what was carried over
        Grow(block, block.capacity * 2);                    // a line longer than the block
      }
      char* fresh = block.bytes.get() + block.size;
      std::size_t got = input_.Read(fresh, block.capacity - block.size);
      if (got == 0) {
        ended_ = true;
        break;
      }
      if (const void* eot = std::memchr(fresh, kEndOfText, got)) {
        got = static_cast<std::size_t>(static_cast<const char*>(eot) - fresh);
        ended_ = true;
      }
      block.size += got;
      if (ended_) break;
    }
    block.lines = ended_ ? block.size : lastLineFeed + 1;
  }

 private:
  static void Grow(Block& block, std::size_t capacity) {
    std::unique_ptr<char[]> larger(new char[capacity]);
    if (block.size > 0) std::memcpy(larger.get(), block.bytes.get(), block.size);
    block.bytes = std::move(larger);
    block.capacity = capacity;
  }

  InputFile& input_;
  bool ended_ = false;
};

}  // namespace

void ReadContactRecords(InputFile& input, const FieldSelection& selection, const CodePage& codePage,
                        std::string_view lineEnd, const RecordSink& sink) {
  std::array<Block, kBlocksInFlight> blocks;
  BlockReader reader(input);
  const Block* previous = nullptr;
  for (std::size_t next = 0; !reader.Ended(); ++next) {
    Block& block = blocks[next % kBlocksInFlight];
    if (block.done.valid()) {  // the oldest block in flight: its records are due
      block.done.get();
      sink(block.records);
    }
    reader.Fill(block, previous);
    previous = &block;
    block.records.clear();
    block.done = std::async(kLaunch, [&block, &selection, &codePage, lineEnd] {
      AppendRecords(std::string_view(block.bytes.get(), block.lines), block.records, selection,
                    codePage, lineEnd);
    });
    if (reader.Ended()) {
      for (std::size_t k = 1; k <= kBlocksInFlight; ++k) {
        Block& due = blocks[(next + k) % kBlocksInFlight];
        if (!due.done.valid()) continue;
        due.done.get();
        sink(due.records);
      }
    }
  }
}
