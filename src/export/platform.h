#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/files.h"

// One entry of a file chooser's type list.
struct FileFilter {
  std::string label;
  std::string pattern;
};

// Chooser options, with the values the system's chooser uses.
inline constexpr std::uint32_t kChooserOverwritePrompt = 0x2;
inline constexpr std::uint32_t kChooserHideReadOnly = 0x4;

struct FileChooserRequest {
  bool openForReading = true;  // an Open chooser; else a Save chooser
  std::vector<FileFilter> filters;
  std::string defaultExtension;  // appended to a typed name that has none
  std::uint32_t options = 0;
};

// The filter list in one string: label, pattern, ... each followed by `separator`, and one more
// `separator` as the end-of-list mark.
std::string FilterString(const std::vector<FileFilter>& filters, char separator);

// What the program needs of the system around it. Texts are UTF-8. Message boxes are owned by
// the program's main window; "the application title" is the caption the system derives from
// the program's file name.
class Platform {
 public:
  virtual ~Platform() = default;

  // Runs a modal file chooser. Returns the full path the user confirmed, or "" on cancel.
  virtual std::string ChooseFile(const FileChooserRequest& request) = 0;
  // OK button, exclamation icon, the application title as caption.
  virtual void ShowWarning(const std::string& text) = 0;
  // OK button, no icon, the given caption.
  virtual void ShowSuccess(const std::string& text, const std::string& caption) = 0;
  // OK button, stop icon, the application title as caption.
  virtual void ShowError(const std::string& text) = 0;
  // Starts a program from a command line in the system's code page (up to its first zero
  // byte), its window shown; whether it started is not reported.
  virtual void Launch(const std::string& commandLine) = 0;

  // The files the command reads and writes (the system's: OpenInputFile, CreateOutputFile).
  virtual std::unique_ptr<InputFile> OpenInput(const std::string& path) = 0;
  virtual std::unique_ptr<OutputFile> CreateOutput(const std::string& path) = 0;
};
