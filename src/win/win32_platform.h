#pragma once

#include "export/platform.h"

namespace win {

// The program's Platform on Windows: the system's file choosers and message boxes, owned by the
// application's main window; WinExec; the files of system_win32.cpp.
class Win32Platform : public Platform {
 public:
  std::string ChooseFile(const FileChooserRequest& request) override;
  void ShowWarning(const std::string& text) override;
  void ShowSuccess(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;
  void Launch(const std::string& commandLine) override;
  std::unique_ptr<InputFile> OpenInput(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override;
};

}  // namespace win
