#pragma once

// Shared by the stand-in programs: appends one UTF-8 line to a log file beside the program.
#include <windows.h>

#include <string>

inline std::wstring StubFolder() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

inline void AppendLogLine(const wchar_t* logName, const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  const std::wstring path = StubFolder() + logName;
  // Several copies may start close together: wait for our turn at the file.
  for (int attempt = 0; attempt < 500; ++attempt) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD wrote = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(10);
  }
}
