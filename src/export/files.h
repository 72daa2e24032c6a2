#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// A file opened for reading. Read fills at most `size` bytes and returns how many it gave,
// 0 at the end of the file; it throws FileError when reading fails.
class InputFile {
 public:
  virtual ~InputFile() = default;
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// Where the records go. Write throws FileError when the bytes cannot be stored; Commit puts them
// in place, throwing FileError when it cannot. A file output becomes visible only as a whole: one
// destroyed without a successful Commit leaves the target as it was.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual void Write(std::string_view bytes) = 0;
  virtual void Commit() = 0;
};

// The system's files; paths are UTF-8. Implemented once per system.
//
// Opens a file for reading only, denying other programs any access while it is open (where
// the system can).
std::unique_ptr<InputFile> OpenInputFile(const std::string& path);
// Writes to a new temporary file in the target's folder, which Commit moves over the target;
// an existing target that is no file on disk (a device, a pipe) is written directly.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path);
std::unique_ptr<InputFile> OpenStandardInput();
// Written as it comes; Commit has nothing left to do.
std::unique_ptr<OutputFile> OpenStandardOutput();

// Names that stand for the standard streams in messages.
inline constexpr char kStandardInputName[] = "(standard input)";
inline constexpr char kStandardOutputName[] = "(standard output)";
