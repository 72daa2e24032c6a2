#include "win/application.h"

#include <new>

#include "export/code_page.h"
#include "export/file_error.h"
#include "export/messages.h"
#include "win/dialog.h"
#include "win/wide.h"

namespace win {

namespace {

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

Application* Application::current_ = nullptr;

Application::Application() { current_ = this; }

Application::~Application() {
  if (current_ == this) current_ = nullptr;
}

int Application::Run(HINSTANCE instance) {
  // No critical-error box and no open-file error box: such failures reach us as errors.
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  instance_ = instance;

  const std::wstring path = ModulePath(instance);
  const std::size_t nameStart = path.find_last_of(L"\\/") + 1;  // npos + 1 == 0
  const std::wstring name = path.substr(nameStart);
  const std::size_t dot = name.rfind(L'.');
  title_ = name.substr(0, dot);
  helpFilePath_ = (dot == std::wstring::npos ? path : path.substr(0, nameStart + dot)) + L".HLP";

  SystemCodePage();  // the code page is taken once, now

  if (InitInstance()) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (const HWND main = MainWindowHandle()) DestroyWindow(main);
  m_pMainWnd = nullptr;
  return ExitInstance();
}

HWND Application::MainWindowHandle() const {
  return m_pMainWnd != nullptr ? m_pMainWnd->Handle() : nullptr;
}

int Application::ShowMessage(const std::string& text, UINT type) const {
  return MessageBoxW(MainWindowHandle(), Widen(text).c_str(), title_.c_str(), type);
}

void Application::ReportException(std::exception_ptr failure) const {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    ShowMessage(messages::kOutOfMemory, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
  } catch (const FileError& error) {
    ShowMessage(error.what(), MB_OK | MB_ICONSTOP);
  } catch (...) {
    ShowMessage(messages::kUnexpectedError, MB_OK | MB_ICONSTOP);
  }
}

DWORD Application::HelpContext() const {
  // The mouse-capture window and the windows above it first, then the focus window's chain.
  for (HWND window : {GetCapture(), GetFocus()}) {
    while (window != nullptr) {
      if (const Dialog* dialog = Dialog::FromHandle(window)) {
        return kHelpContextBase + dialog->TemplateId();
      }
      window = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(window)
                                                                   : GetWindow(window, GW_OWNER);
    }
  }
  return m_pMainWnd != nullptr ? kHelpContextBase + m_pMainWnd->TemplateId() : kHelpContextBase;
}

void Application::OnHelp() {
  const HWND main = MainWindowHandle();
  if (helpFailureShown_ || main == nullptr) return;
  const DWORD context = HelpContext();

  if (const HWND capture = GetCapture()) {
    SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  const HCURSOR cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const BOOL started =
      WinHelpW(GetAncestor(main, GA_ROOT), helpFilePath_.c_str(), HELP_CONTEXT, context);
  SetCursor(cursor);
  if (!started) {
    helpFailureShown_ = true;  // F1 in this box asks for nothing more
    ShowMessage(messages::kHelpFailed, MB_OK | MB_ICONEXCLAMATION);
    helpFailureShown_ = false;
  }
}

std::wstring LoadResourceText(UINT id) {
  const wchar_t* text = nullptr;
  const int length =
      LoadStringW(Application::Current()->Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace win
