#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "export/code_page.h"
#include "export/field_selection.h"
#include "export/files.h"

// Reads a saved contacts page as text lines and turns every contact line into its record.
//
// Lines end at a line feed; a carriage return right before it goes with it, any other carriage
// return stays in the line. The first byte 0x1A ends the input; a last line without a line feed
// still counts. A line is handed to extraction up to its first zero byte. Lines may be of any
// length: the buffer grows to hold the longest, and memory stays bounded by it.
//
// The records are the ones BuildContactRecord gives, byte for byte; the reader only finds them
// faster, with one pass over the input for the contact marker and one over each contact line.
class ContactReader {
 public:
  ContactReader(InputFile& input, const CodePage& codePage);

  // Reads the next block of the input and appends the records of its complete lines to `out`,
  // each ended by `lineEnd` in place of the record's line feed ("\r\n" gives the bytes that go
  // to disk). Returns false once the whole input has been processed.
  bool ReadRecords(std::string& out, const FieldSelection& selection,
                   std::string_view lineEnd = "\n");

 private:
  void Fill();
  void ProcessLines(std::string_view lines, std::string& out, const FieldSelection& selection,
                    std::string_view lineEnd) const;

  InputFile& input_;
  const CodePage& codePage_;
  std::unique_ptr<char[]> buffer_;  // not cleared: only bytes read are ever looked at
  std::size_t capacity_;
  std::size_t begin_ = 0;  // unprocessed bytes are buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool ended_ = false;
};

// Appends `text` to `out` with every line feed stored as carriage return plus line feed.
void AppendWithCrLf(std::string& out, std::string_view text);

// Writes `text` to `output` with every line feed stored as carriage return plus line feed.
void WriteText(OutputFile& output, std::string_view text);
