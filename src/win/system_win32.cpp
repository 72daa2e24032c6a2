// Files, standard streams and the code page on Windows. Paths are UTF-8 here and UTF-16 for the
// system; full paths past MAX_PATH take the \\?\ form, so no length limit is our own.
#include <windows.h>

#include <memory>
#include <string>

#include "export/code_page.h"
#include "export/file_error.h"
#include "export/files.h"
#include "win/wide.h"

namespace {

std::wstring FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  full.resize(length);
  return full;
}

// The form the file functions take: \\?\ before a long drive path, \\?\UNC\ before a long
// network path.
std::wstring SystemPath(const std::wstring& full) {
  if (full.size() < MAX_PATH - 12 || full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

FileErrorCause CauseOf(DWORD error, FileErrorCause fallback) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return FileErrorCause::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return FileErrorCause::kBadPath;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileErrorCause::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileErrorCause::kSharingViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileErrorCause::kDiskFull;
    default:
      return fallback;
  }
}

void WriteAll(HANDLE handle, std::string_view bytes, const std::string& name) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD wrote = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &wrote, nullptr)) {
      throw FileError(CauseOf(GetLastError(), FileErrorCause::kWriteFailed), name);
    }
    bytes.remove_prefix(wrote);
  }
}

class Win32Input : public InputFile {
 public:
  Win32Input(HANDLE handle, std::string name, bool owned)
      : handle_(handle), name_(std::move(name)), owned_(owned) {}
  ~Win32Input() override {
    if (owned_) CloseHandle(handle_);
  }
  std::size_t Read(char* buffer, std::size_t size) override {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, chunk, &got, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) return 0;  // a pipe's writer has finished
      throw FileError(FileErrorCause::kGeneric, name_);
    }
    return got;
  }

 private:
  HANDLE handle_;
  std::string name_;
  bool owned_;
};

// Writes a temporary file beside the target; Commit moves it over the target. A device (NUL,
// a named pipe) is written directly.
class Win32Output : public OutputFile {
 public:
  explicit Win32Output(const std::string& path) {
    const std::wstring full = FullPath(path);
    name_ = Narrow(full);
    target_ = SystemPath(full);
    if (full.rfind(L"\\\\.\\", 0) == 0) {
      handle_ = CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
      if (handle_ == INVALID_HANDLE_VALUE) {
        throw FileError(CauseOf(GetLastError(), FileErrorCause::kCannotCreate), name_);
      }
      return;
    }
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      throw FileError(FileErrorCause::kAccessDenied, name_);
    }
    const std::wstring stem = full.substr(0, full.find_last_of(L"\\/") + 1) + L"~korvel." +
                              std::to_wstring(GetCurrentProcessId()) + L".";
    for (unsigned attempt = 0; handle_ == INVALID_HANDLE_VALUE; ++attempt) {
      temp_ = SystemPath(stem + std::to_wstring(attempt) + L".tmp");
      handle_ = CreateFileW(temp_.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
      const DWORD error = GetLastError();
      if (handle_ == INVALID_HANDLE_VALUE && (error != ERROR_FILE_EXISTS || attempt > 1000)) {
        temp_.clear();
        throw FileError(CauseOf(error, FileErrorCause::kCannotCreate), name_);
      }
    }
  }
  ~Win32Output() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
  }
  void Write(std::string_view bytes) override { WriteAll(handle_, bytes, name_); }
  void Commit() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) throw FileError(FileErrorCause::kWriteFailed, name_);
    if (temp_.empty()) return;  // written directly
    SetFileAttributesW(temp_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw FileError(CauseOf(GetLastError(), FileErrorCause::kWriteFailed), name_);
    }
    temp_.clear();
  }

 private:
  std::string name_;
  std::wstring target_;
  std::wstring temp_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class StandardOutput : public OutputFile {
 public:
  void Write(std::string_view bytes) override {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes, kStandardOutputName);
  }
  void Commit() override {}
};

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
  const std::wstring full = FullPath(path);
  // No sharing: while the page is read no other program may open it.
  const HANDLE handle = CreateFileW(SystemPath(full).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw FileError(CauseOf(GetLastError(), FileErrorCause::kGeneric), Narrow(full));
  }
  return std::make_unique<Win32Input>(handle, Narrow(full), true);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
  return std::make_unique<Win32Output>(path);
}

std::unique_ptr<InputFile> OpenStandardInput() {
  return std::make_unique<Win32Input>(GetStdHandle(STD_INPUT_HANDLE), kStandardInputName, false);
}

std::unique_ptr<OutputFile> OpenStandardOutput() { return std::make_unique<StandardOutput>(); }

CodePage SystemCodePage() {
  static const CodePage page = [] {
    CodePage system(GetACP());
    CPINFO info{};
    if (GetCPInfo(CP_ACP, &info)) {
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        system.AddLeadRange(info.LeadByte[i], info.LeadByte[i + 1]);
      }
    }
    return system;
  }();
  return page;
}
