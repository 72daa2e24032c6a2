#pragma once

// Helpers for driving Korvel.exe from another process under Wine: checks, texts, windows,
// keyboard input and files.
#include <windows.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace harness {

// ---- checks

// Records a failure of the running scenario (and prints it).
void Fail(const std::string& what);
int FailureCount();
void SetScenario(const std::string& name);

std::wstring W(const std::string& utf8);
std::string U(const std::wstring& wide);
// Bytes in the given code page.
std::string ToCodePage(const std::wstring& text, UINT codePage);

void Check(bool condition, const std::string& what);
void CheckText(const std::wstring& actual, const std::string& expectedUtf8,
               const std::string& what);

template <class A, class E>
void CheckEqual(const A& actual, const E& expected, const std::string& what) {
  if (actual == expected) return;
  std::ostringstream out;
  out << what << ": got " << actual << ", expected " << expected;
  Fail(out.str());
}

std::string Hex(unsigned long long value);

// ---- waiting

// Polls `done` until it is true or `timeoutMs` has passed; returns the last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Gives the program time to do something it must not do.
void Settle(DWORD ms = 400);

// ---- windows

std::wstring Text(HWND window);
std::wstring ClassOf(HWND window);
DWORD Style(HWND window);
DWORD ExStyle(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
RECT WindowRect(HWND window);
RECT WorkArea();
// Children in order (template and tab order).
std::vector<HWND> Children(HWND window);
// Visible top-level dialogs of a process.
std::vector<HWND> Dialogs(DWORD processId);

// Posts a click of a control (or of an id the dialog handles as a command).
void PostClick(HWND dialog, int id);
// Sends a message without hanging on a blocked window.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Real keyboard input to the foreground window.
void PressKeys(const std::vector<WORD>& modifiers, WORD key);
void MakeForeground(HWND window);
HWND FocusOf(HWND window);  // the focus window of the window's thread

// ---- files

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
std::vector<std::wstring> ReadLogLines(const std::wstring& path);

// ---- the program under test

class Program {
 public:
  // Starts the program; the working folder is the program's own.
  explicit Program(const std::wstring& exePath);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD Id() const { return process_.dwProcessId; }
  // The main dialog, once it is shown (null after a timeout, with a failure recorded).
  HWND Main();
  // Waits for a visible dialog of the program, other than the main dialog and `except`, that
  // satisfies `fits`; null (and a failure) on timeout.
  HWND WaitDialog(const std::string& what, const std::function<bool(HWND)>& fits,
                  HWND except = nullptr, DWORD timeoutMs = 10000);
  // True when no dialog other than the main one is open.
  bool OnlyMainOpen();
  // Waits for the process to end; returns its exit code, or -1 on timeout.
  long WaitExit(DWORD timeoutMs = 10000);

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// Kinds of dialogs the program opens.
bool IsMessageBox(HWND window);
bool IsFileChooser(HWND window);

}  // namespace harness
