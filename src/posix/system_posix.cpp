// Files, standard streams and the code page on POSIX systems.
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include "export/code_page.h"
#include "export/file_error.h"
#include "export/files.h"

namespace {

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::string cwd(PATH_MAX, '\0');
  if (getcwd(cwd.data(), cwd.size()) == nullptr) return path;
  cwd.resize(cwd.find('\0'));
  return cwd == "/" ? "/" + path : cwd + "/" + path;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The cause of a failed open or create; `fallback` for anything without a cause of its own.
FileErrorCause CauseOf(int error, const std::string& path, FileErrorCause fallback) {
  switch (error) {
    case ENOENT:
      return IsFolder(ParentOf(path)) ? FileErrorCause::kNotFound : FileErrorCause::kBadPath;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileErrorCause::kBadPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return FileErrorCause::kAccessDenied;
    case ETXTBSY:
    case EBUSY:
      return FileErrorCause::kSharingViolation;
    case ENOSPC:
    case EDQUOT:
      return FileErrorCause::kDiskFull;
    default:
      return fallback;
  }
}

[[noreturn]] void Fail(int error, const std::string& path, FileErrorCause fallback) {
  throw FileError(CauseOf(error, path, fallback), path);
}

void WriteAll(int fd, std::string_view bytes, const std::string& name) {
  while (!bytes.empty()) {
    const ssize_t wrote = write(fd, bytes.data(), bytes.size());
    if (wrote < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      throw FileError(error == ENOSPC || error == EDQUOT ? FileErrorCause::kDiskFull
                                                         : FileErrorCause::kWriteFailed,
                      name);
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
}

class PosixInput : public InputFile {
 public:
  PosixInput(int fd, std::string name, bool owned)
      : fd_(fd), name_(std::move(name)), owned_(owned) {}
  ~PosixInput() override {
    if (owned_) close(fd_);
  }
  std::size_t Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t got = read(fd_, buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) throw FileError(FileErrorCause::kGeneric, name_);
    }
  }

 private:
  int fd_;
  std::string name_;
  bool owned_;
};

// Writes a hidden temporary file beside the target; Commit renames it over the target. A target
// that exists and is no regular file (a device such as /dev/null, a pipe) is written directly.
class PosixOutput : public OutputFile {
 public:
  explicit PosixOutput(const std::string& path) : name_(AbsolutePath(path)), target_(name_) {
    // Write through symbolic links to the file they name, even one that does not exist yet,
    // rather than replacing the link.
    struct stat info {};
    for (int hops = 0; hops < 40 && lstat(target_.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
         ++hops) {
      std::string link(PATH_MAX, '\0');
      const ssize_t length = readlink(target_.c_str(), link.data(), link.size());
      if (length <= 0) break;
      link.resize(static_cast<std::size_t>(length));
      target_ = link[0] == '/' ? link : ParentOf(target_) + "/" + link;
    }
    mode_t mode = 0;
    if (stat(target_.c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        fd_ = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) Fail(errno, name_, FileErrorCause::kCannotCreate);
        return;
      }
      // Replace only what could be opened for writing, and keep its permissions.
      const int probe = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (probe < 0) Fail(errno, name_, FileErrorCause::kCannotCreate);
      close(probe);
      mode = info.st_mode & 07777;
    } else {
      const mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    // A short name of its own, so that a target name of any allowed length works.
    temp_ = ParentOf(target_) + "/.korvel-XXXXXX";
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) {
      const int error = errno;
      temp_.clear();
      throw FileError(CauseOf(error, target_, FileErrorCause::kCannotCreate), name_);
    }
    fchmod(fd_, mode);
  }
  ~PosixOutput() override {
    if (fd_ >= 0) close(fd_);
    if (!temp_.empty()) unlink(temp_.c_str());
  }
  void Write(std::string_view bytes) override { WriteAll(fd_, bytes, name_); }
  void Commit() override {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) Fail(errno, name_, FileErrorCause::kWriteFailed);
    if (temp_.empty()) return;  // written directly
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
      Fail(errno, name_, FileErrorCause::kWriteFailed);
    }
    temp_.clear();
  }

 private:
  std::string name_;    // as the user gave it, for messages
  std::string target_;  // the file to replace, behind any symbolic links
  std::string temp_;
  int fd_ = -1;
};

class StandardOutput : public OutputFile {
 public:
  void Write(std::string_view bytes) override {
    WriteAll(STDOUT_FILENO, bytes, kStandardOutputName);
  }
  void Commit() override {}
};

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
  const std::string name = AbsolutePath(path);
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(errno, name, FileErrorCause::kGeneric);
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    throw FileError(FileErrorCause::kAccessDenied, name);
  }
  return std::make_unique<PosixInput>(fd, name, true);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
  return std::make_unique<PosixOutput>(path);
}

std::unique_ptr<InputFile> OpenStandardInput() {
  return std::make_unique<PosixInput>(STDIN_FILENO, kStandardInputName, false);
}

std::unique_ptr<OutputFile> OpenStandardOutput() { return std::make_unique<StandardOutput>(); }

CodePage SystemCodePage() {
  static const CodePage page = [] {
    const char* old = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    std::setlocale(LC_CTYPE, "");
    const CodePage fromLocale = CodePage::FromCharsetName(nl_langinfo(CODESET));
    std::setlocale(LC_CTYPE, saved.c_str());
    return fromLocale;
  }();
  return page;
}
