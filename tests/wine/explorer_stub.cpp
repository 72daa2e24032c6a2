// Stands in for the shell under test: placed beside Korvel.exe, it is what WinExec starts for
// "explorer.exe ...". It records its command line in explorer.log and ends.
#include <windows.h>

#include "stub_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  AppendLogLine(L"explorer.log", GetCommandLineW());
  return 0;
}
