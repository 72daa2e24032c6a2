#include "export/file_error.h"

#include "export/messages.h"

namespace {

const char* MessageFor(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::kNotFound:
      return messages::kFileNotFound;
    case FileErrorCause::kBadPath:
      return messages::kBadPath;
    case FileErrorCause::kAccessDenied:
      return messages::kAccessDenied;
    case FileErrorCause::kSharingViolation:
      return messages::kSharingViolation;
    case FileErrorCause::kCannotCreate:
      return messages::kCannotCreate;
    case FileErrorCause::kDiskFull:
      return messages::kDiskFull;
    case FileErrorCause::kWriteFailed:
      return messages::kWriteFailed;
    case FileErrorCause::kGeneric:
      break;
  }
  return messages::kGenericFileError;
}

}  // namespace

std::string FileErrorMessage(FileErrorCause cause, const std::string& path) {
  std::string text = MessageFor(cause);
  const std::size_t at = text.find("%1");
  text.replace(at, 2, path);
  return text;
}

FileError::FileError(FileErrorCause cause, std::string path)
    : std::runtime_error(FileErrorMessage(cause, path)), cause_(cause), path_(std::move(path)) {}
