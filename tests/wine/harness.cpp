#include "harness.h"

#include <cstdio>
#include <iomanip>

namespace harness {

namespace {

int failures = 0;
std::string scenario;

}  // namespace

void SetScenario(const std::string& name) { scenario = name; }

void Fail(const std::string& what) {
  ++failures;
  std::printf("FAIL [%s] %s\n", scenario.c_str(), what.c_str());
  std::fflush(stdout);
}

int FailureCount() { return failures; }

std::wstring W(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string ToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

std::string U(const std::wstring& wide) { return ToCodePage(wide, CP_UTF8); }

void Check(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

void CheckText(const std::wstring& actual, const std::string& expectedUtf8,
               const std::string& what) {
  if (actual != W(expectedUtf8))
    Fail(what + ": got \"" + U(actual) + "\", expected \"" + expectedUtf8 + "\"");
}

std::string Hex(unsigned long long value) {
  std::ostringstream out;
  out << "0x" << std::uppercase << std::hex << value;
  return out.str();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(15);
  }
}

void Settle(DWORD ms) { Sleep(ms); }

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) &&
      GetLastError() == ERROR_TIMEOUT) {
    Fail("no answer from window " + Hex(reinterpret_cast<ULONG_PTR>(window)) + " to message " +
         Hex(message) + " (error " + std::to_string(GetLastError()) + ")");
  }
  return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
  const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH));
  std::wstring text(length + 1, L'\0');
  const auto got = static_cast<std::size_t>(
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(got < length ? got : length);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }
DWORD ExStyle(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)); }

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT RectInParent(HWND window) {
  RECT rect = WindowRect(window);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT WorkArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::vector<HWND> Dialogs(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId && IsWindowVisible(window) && ClassOf(window) == L"#32770") {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PostClick(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressKeys(const std::vector<WORD>& modifiers, WORD key) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD modifier : modifiers) add(modifier, false);
  add(key, false);
  add(key, true);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MakeForeground(HWND window) {
  SetForegroundWindow(window);
  WaitUntil([window] { return GetForegroundWindow() == window; }, 2000);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD wrote = 0;
  if (file == INVALID_HANDLE_VALUE ||
      !WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr)) {
    Fail("cannot write " + U(path));
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  const std::wstring text = W(ReadFileBytes(path));
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

bool IsMessageBox(HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }
bool IsFileChooser(HWND window) { return GetDlgItem(window, 0x47C) != nullptr; }

Program::Program(const std::wstring& exePath) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  const std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\'));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process_)) {
    Fail("cannot start " + U(exePath));
  }
}

Program::~Program() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    Fail("the program was still running at the end of the scenario");
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND Program::Main() {
  if (main_ != nullptr) return main_;
  WaitUntil(
      [this] {
        for (HWND window : Dialogs(Id())) {
          if (Text(window) == L"FrindelV2.1") main_ = window;
        }
        return main_ != nullptr;
      },
      10000);
  if (main_ == nullptr) Fail("the main dialog did not open");
  return main_;
}

HWND Program::WaitDialog(const std::string& what, const std::function<bool(HWND)>& fits,
                         HWND except, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : Dialogs(Id())) {
          if (window != main_ && window != except && fits(window)) found = window;
        }
        return found != nullptr;
      },
      timeoutMs);
  if (found == nullptr) Fail("no " + what + " appeared");
  return found;
}

bool Program::OnlyMainOpen() {
  for (HWND window : Dialogs(Id())) {
    if (window != main_) return false;
  }
  return true;
}

long Program::WaitExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<long>(code);
}

}  // namespace harness
