#include "win/win32_platform.h"

#include <windows.h>
// windows.h first
#include <commdlg.h>

#include "win/application.h"
#include "win/wide.h"

namespace win {

namespace {

// Room for the longest path the system takes; the chooser's own limit is the only one.
constexpr DWORD kPathBufferSize = 32768;

}  // namespace

std::string Win32Platform::ChooseFile(const FileChooserRequest& request) {
  const std::wstring filter = Widen(FilterString(request.filters, '\0'));
  const std::wstring extension = Widen(request.defaultExtension);
  std::wstring path(kPathBufferSize, L'\0');

  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = Application::Current()->MainWindowHandle();
  chooser.lpstrFilter = filter.c_str();
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = path.data();
  chooser.nMaxFile = kPathBufferSize;
  chooser.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  chooser.Flags = request.options;

  const BOOL chosen =
      request.openForReading ? GetOpenFileNameW(&chooser) : GetSaveFileNameW(&chooser);
  if (!chosen) return {};
  path.resize(path.find(L'\0'));
  return Narrow(path);
}

void Win32Platform::ShowWarning(const std::string& text) {
  Application::Current()->ShowMessage(text, MB_OK | MB_ICONEXCLAMATION);
}

void Win32Platform::ShowSuccess(const std::string& text, const std::string& caption) {
  MessageBoxW(Application::Current()->MainWindowHandle(), Widen(text).c_str(),
              Widen(caption).c_str(), MB_OK);
}

void Win32Platform::ShowError(const std::string& text) {
  Application::Current()->ShowMessage(text, MB_OK | MB_ICONSTOP);
}

void Win32Platform::Launch(const std::string& commandLine) {
  WinExec(commandLine.c_str(), SW_SHOW);  // whether it started is not our business
}

std::unique_ptr<InputFile> Win32Platform::OpenInput(const std::string& path) {
  return OpenInputFile(path);
}

std::unique_ptr<OutputFile> Win32Platform::CreateOutput(const std::string& path) {
  return CreateOutputFile(path);
}

}  // namespace win
