#include "export/contact_reader.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "export/contact_line.h"
#include "export/search.h"

namespace {

// The fuzzer builds with tiny blocks, so that lines cross and outgrow them often.
#ifndef KORVEL_READER_BLOCK_SIZE
#define KORVEL_READER_BLOCK_SIZE (std::size_t{1} << 20)
#endif
constexpr std::size_t kBlockSize = KORVEL_READER_BLOCK_SIZE;
static_assert(kBlockSize >= 2);
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

// The input, read in blocks of whole lines by the worker threads in turn.
class BlockReader {
 public:
  explicit BlockReader(InputFile& input) : input_(input) {}

  // The next block of the input: the unfinished line of the block before it, then what follows
  // of the input until the block is full and holds a line feed, or the input ends. `size` is
  // set to the bytes of whole lines. Returns false once the input has ended.
  bool Next(std::unique_ptr<char[]>& bytes, std::size_t& capacity, std::size_t& size) {
    if (ended_) return false;
    if (capacity < carry_.size() + kBlockSize / 2) {
      capacity = carry_.size() + kBlockSize;
      bytes.reset(new char[capacity]);  // not cleared: only bytes read are ever looked at
    }
    std::size_t filled = carry_.size();
    if (filled > 0) std::memcpy(bytes.get(), carry_.data(), filled);
    std::size_t lastLineFeed = std::string_view::npos;
    for (;;) {
      if (filled == capacity) {
        lastLineFeed = std::string_view(bytes.get(), filled).rfind('\n');
        if (lastLineFeed != std::string_view::npos) break;
        // A line longer than the block: grow to hold it.
        std::unique_ptr<char[]> larger(new char[capacity * 2]);
        std::memcpy(larger.get(), bytes.get(), filled);
        bytes = std::move(larger);
        capacity *= 2;
      }
      char* fresh = bytes.get() + filled;
      std::size_t got = input_.Read(fresh, capacity - filled);
      if (got == 0) {
        ended_ = true;
      } else if (const void* eot = std::memchr(fresh, kEndOfText, got)) {
        got = static_cast<std::size_t>(static_cast<const char*>(eot) - fresh);
        ended_ = true;
      }
      filled += got;
      if (ended_) break;
    }
    size = ended_ ? filled : lastLineFeed + 1;
    carry_.assign(bytes.get() + size, filled - size);
    return true;
  }

 private:
  InputFile& input_;
  std::string carry_;  // the unfinished line at the end of the last block
  bool ended_ = false;
};

// Reads, processes and delivers the blocks with two threads. Each thread reads a block itself
// (so the bytes are in its own cache when it works on them), turns it into records, and waits
// for its turn to hand them to the sink: blocks are read and delivered in input order.
class Pipeline {
 public:
  Pipeline(InputFile& input, const FieldSelection& selection, const CodePage& codePage,
           std::string_view lineEnd, const RecordSink& sink)
      : reader_(input),
        selection_(selection),
        codePage_(codePage),
        lineEnd_(lineEnd),
        sink_(sink) {}

  void Run() {
    std::thread helper;
    try {
      helper = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
      // No second thread to be had: one does all the work.
    }
    Work();
    if (helper.joinable()) helper.join();
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  void Work() {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t size = 0;
    std::string records;
    for (;;) {
      std::size_t turn;
      try {
        {
          const std::lock_guard<std::mutex> lock(reading_);
          if (Failed() || !reader_.Next(bytes, capacity, size)) return;
          turn = blocksRead_++;
        }
        records.clear();
        AppendRecords(std::string_view(bytes.get(), size), records, selection_, codePage_,
                      lineEnd_);
      } catch (...) {
        Fail(std::current_exception());
        return;
      }
      {
        std::unique_lock<std::mutex> lock(delivering_);
        delivered_.wait(lock, [&] { return blocksDelivered_ == turn || Failed(); });
        if (Failed()) return;
      }
      // This block's turn: the other thread waits for it, so the sink runs alone, and the
      // other thread may read meanwhile.
      try {
        sink_(records);
      } catch (...) {
        Fail(std::current_exception());
        return;
      }
      {
        const std::lock_guard<std::mutex> lock(delivering_);
        ++blocksDelivered_;
      }
      delivered_.notify_all();
    }
  }

  bool Failed() const { return failed_.load(); }

  void Fail(std::exception_ptr failure) {
    {
      const std::lock_guard<std::mutex> lock(delivering_);
      if (!failure_) failure_ = failure;
      failed_ = true;
    }
    delivered_.notify_all();
  }

  BlockReader reader_;  // guarded by reading_
  std::mutex reading_;
  std::size_t blocksRead_ = 0;
  std::mutex delivering_;
  std::condition_variable delivered_;
  std::size_t blocksDelivered_ = 0;  // guarded by delivering_, as is failure_
  std::exception_ptr failure_;
  std::atomic<bool> failed_{false};
  const FieldSelection& selection_;
  const CodePage& codePage_;
  const std::string_view lineEnd_;
  const RecordSink& sink_;
};

}  // namespace

void ReadContactRecords(InputFile& input, const FieldSelection& selection, const CodePage& codePage,
                        std::string_view lineEnd, const RecordSink& sink) {
  Pipeline(input, selection, codePage, lineEnd, sink).Run();
}
