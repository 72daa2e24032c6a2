#pragma once

#include <stdexcept>
#include <string>

// Why a file could not be opened, read or written.
enum class FileErrorCause {
  kNotFound,          // the file does not exist
  kBadPath,           // a folder in the path does not exist, or the name is invalid
  kAccessDenied,      // no permission, read-only, or a folder where a file was expected
  kSharingViolation,  // another program holds the file open
  kGeneric,           // any other reading failure
  kCannotCreate,      // the output could not be created for any other reason
  kDiskFull,          // the output's disk is full
  kWriteFailed,       // any other writing failure
};

// A file failure, carrying the cause and the file's full path. what() is the message text.
class FileError : public std::runtime_error {
 public:
  FileError(FileErrorCause cause, std::string path);

  FileErrorCause Cause() const { return cause_; }
  const std::string& Path() const { return path_; }

 private:
  FileErrorCause cause_;
  std::string path_;
};

// The message for a cause, with the path in place of "%1".
std::string FileErrorMessage(FileErrorCause cause, const std::string& path);
