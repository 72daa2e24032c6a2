#pragma once

// The application object: start-up, the names derived from the executable, the application
// message box, the guard's reports and the help command.
#include <windows.h>

#include <exception>
#include <string>

#include "win/message_map.h"

namespace win {

class Dialog;

// The help command that F1 sends to the main window.
inline constexpr UINT kHelpCommand = 0xE146;
// A dialog's help context: this base plus its template number.
inline constexpr DWORD kHelpContextBase = 0x20000;

class Application : public CommandTarget {
 public:
  Application();
  ~Application() override;

  // The one application object of the program.
  static Application* Current() { return current_; }

  // Called by wWinMain: prepares the process, runs InitInstance and returns the exit code.
  int Run(HINSTANCE instance);

  // FALSE ends the program once it returns.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance() { return exitCode_; }

  HINSTANCE Instance() const { return instance_; }
  // The executable's file name up to its last dot: the caption of application message boxes.
  const std::wstring& Title() const { return title_; }
  // The executable's full path with its extension replaced by ".HLP".
  const std::wstring& HelpFilePath() const { return helpFilePath_; }

  // The main window's handle while it exists, else null.
  HWND MainWindowHandle() const;
  // The exit code: the result with which the main window ended.
  void SetExitCode(int code) { exitCode_ = code; }

  // A message box owned by the main window, with the application title as caption.
  int ShowMessage(const std::string& text, UINT type) const;
  // Reports a failure that escaped a handler: out of memory in a system-modal box with an
  // exclamation icon, anything else in a box with a stop icon.
  void ReportException(std::exception_ptr failure) const;

  // The help command: asks the help engine for the topic of the dialog that has the focus.
  void OnHelp();

  Dialog* m_pMainWnd = nullptr;

 private:
  DWORD HelpContext() const;

  static Application* current_;
  HINSTANCE instance_ = nullptr;
  std::wstring title_;
  std::wstring helpFilePath_;
  int exitCode_ = 0;
  bool helpFailureShown_ = false;
};

// A string from the program's string table ("" when there is none).
std::wstring LoadResourceText(UINT id);

}  // namespace win
