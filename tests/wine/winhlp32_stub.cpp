// Stands in for the help engine under test: WinHelp starts "winhlp32.exe -x" from the program's
// folder and sends its request by WM_COPYDATA to a window of class "MS_WINHELP". This stub
// records the request in winhlp32.log ("command|context|file") and ends. With a file
// winhlp32.fail beside it, it ends at once, so that WinHelp fails.
#include <windows.h>

#include <string>

#include "stub_log.h"

namespace {

// The request as WinHelp sends it; the help file's name follows, in the ANSI code page.
struct HelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD fileNameOffset;
  WORD dataOffset;
};

constexpr ULONG_PTR kHelpRequestTag = 0xA1DE505;

std::wstring FromAnsi(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  wide.resize(wide.find(L'\0'));
  return wide;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (copy->dwData == kHelpRequestTag && copy->cbData >= sizeof(HelpRequest)) {
        const auto* request = static_cast<const HelpRequest*>(copy->lpData);
        const char* base = static_cast<const char*>(copy->lpData);
        const std::wstring file =
            request->fileNameOffset != 0 ? FromAnsi(base + request->fileNameOffset) : L"";
        wchar_t numbers[64];
        wsprintfW(numbers, L"%u|0x%X|", request->command, static_cast<unsigned>(request->data));
        AppendLogLine(L"winhlp32.log", numbers + file);
      }
      PostMessageW(window, WM_CLOSE, 0, 0);
      return TRUE;
    }
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (GetFileAttributesW((StubFolder() + L"winhlp32.fail").c_str()) != INVALID_FILE_ATTRIBUTES) {
    return 1;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"MS_WINHELP";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowW(L"MS_WINHELP", L"help", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, instance, nullptr);
  SetTimer(window, 1, 20000, nullptr);  // never outlive a test run
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
