// End-to-end tests of Korvel.exe under Wine. The driver copies the program, a stand-in
// explorer.exe and a stand-in winhlp32.exe into a fresh folder, starts the program, works its
// windows from outside as a user would, and checks what it shows, writes and launches.
//
//   korvel_wine_tests.exe KORVEL.EXE STUB_FOLDER [SCENARIO...]
//
// Paths may be Unix paths (they are reached through drive Z:).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "expected.h"
#include "harness.h"
#include "resources_check.h"

using namespace harness;

namespace {

constexpr int kCancelled = IDCANCEL;

std::wstring folder;  // the test folder, with a trailing backslash
std::wstring programPath;

std::wstring ExplorerLog() { return folder + L"explorer.log"; }
std::wstring HelpLog() { return folder + L"winhlp32.log"; }
std::wstring Data(const std::string& name) { return folder + L"data\\" + W(name); }

// ---- the contacts page and what becomes of it

std::string Gbk(const std::string& utf8) { return ToCodePage(W(utf8), 936); }

// CR LF and LF line ends, a line that is no contact line, an address of another domain (no QQ
// number), and a Ctrl-Z that ends the input inside a line.
std::string ContactsPage() {
  return Gbk(
      "<html>\r\n"
      "<div class=\"L_n\" n=\"张三\" e=\"10001@qq.com\">&nbsp;张三</div>\r\n"
      "<p>l_n 不是联系人</p>\r\n"
      "<div class=\"L_n\" n=\"Bob\" e=\"bob@example.com\">&nbsp;Bob</div>\n"
      "<div class=\"L_n\" n=\"李四\" e=\"10002@qq.com\">&nbsp;李四</div>\r\n"
      "<i class=\"L_n\" n=\"王五\" e=\"10003@qq.com\">&nbsp\x1a"
      "<div class=\"L_n\" n=\"赵六\" e=\"10004@qq.com\">&nbsp;</div>\r\n");
}

const std::string kAllFields =
    Gbk("10001----张三----10001@qq.com\r\n"
        "----Bob----bob@example.com\r\n"
        "10002----李四----10002@qq.com\r\n"
        "10003----王五----10003@qq.com\r\n");
const std::string kWithoutName =
    "10001----10001@qq.com\r\n"
    "----bob@example.com\r\n"
    "10002----10002@qq.com\r\n"
    "10003----10003@qq.com\r\n";
const std::string kNoField = "\r\n\r\n\r\n\r\n";

// ---- the program's windows

void CheckFilters(HWND chooser) {
  const HWND combo = GetDlgItem(chooser, 0x470);
  Check(combo != nullptr, "the chooser has its file-type list");
  if (combo == nullptr) return;
  const char* expected[] = {"文本文档(*.txt)", "All Files(*.*)"};
  CheckEqual(Send(combo, CB_GETCOUNT), 2, "file-type entries");
  for (int i = 0; i < 2; ++i) {
    const auto length = static_cast<std::size_t>(Send(combo, CB_GETLBTEXTLEN, i));
    std::wstring text(length + 1, L'\0');
    Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    CheckText(text, expected[i], "file-type entry " + std::to_string(i + 1));
  }
}

// Waits for the Open ("打开") or Save ("另存为") chooser and checks its type list.
HWND WaitChooser(Program& program, bool open, HWND except = nullptr) {
  const HWND chooser =
      program.WaitDialog(open ? "Open chooser" : "Save chooser", IsFileChooser, except);
  if (chooser == nullptr) return nullptr;
  CheckText(Text(chooser), open ? "打开" : "另存为", "chooser caption");
  Check(GetWindow(chooser, GW_OWNER) == program.Main(), "the chooser is owned by the dialog");
  CheckFilters(chooser);
  return chooser;
}

void TypeInto(HWND chooser, const std::wstring& path) {
  Send(GetDlgItem(chooser, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostClick(chooser, IDOK);
}

bool HasIcon(HWND box) {
  for (HWND child : Children(box)) {
    if ((Style(child) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        Send(child, STM_GETICON) != 0) {
      return true;
    }
  }
  return false;
}

// Waits for a message box, checks it, and dismisses it with `button`.
void ExpectMessageBox(Program& program, const std::string& caption, const std::string& text,
                      bool icon, HWND except = nullptr, int button = IDOK) {
  const HWND box = program.WaitDialog("message box \"" + text + "\"", IsMessageBox, except);
  if (box == nullptr) return;
  CheckText(Text(box), caption, "message box caption");
  CheckText(Text(GetDlgItem(box, 0xFFFF)), text, "message box text");
  CheckEqual(HasIcon(box), icon, "message box \"" + text + "\" has an icon");
  PostClick(box, button);
  WaitUntil([box] { return !IsWindow(box); }, 5000);
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Clicks Open and chooses the input; returns the Open chooser (already closing).
HWND ChooseInput(Program& program, const std::wstring& input) {
  Click(program.Main(), 1000);
  const HWND chooser = WaitChooser(program, true);
  if (chooser != nullptr) TypeInto(chooser, input);
  return chooser;
}

// A whole export: Open, the input, Save, the output (answering the overwrite question when
// there is one), the success message.
void Export(Program& program, const std::wstring& input, const std::wstring& output,
            bool overwrite = false) {
  const HWND open = ChooseInput(program, input);
  const HWND save = WaitChooser(program, false, open);
  if (save == nullptr) return;
  TypeInto(save, output);
  if (overwrite) {
    const HWND question = program.WaitDialog("overwrite question", IsMessageBox);
    if (question != nullptr) {
      Check(GetWindow(question, GW_OWNER) == save, "the chooser asks before overwriting");
      PostClick(question, IDYES);
      WaitUntil([question] { return !IsWindow(question); }, 5000);
    }
  }
  ExpectMessageBox(program, "恭喜！", "你已成功导出", false, save);
}

std::size_t LaunchCount() { return ReadLogLines(ExplorerLog()).size(); }

// Waits for the number of home-page launches, then checks every one of them.
void CheckLaunches(std::size_t expected) {
  WaitUntil([expected] { return LaunchCount() >= expected; }, 5000);
  const std::vector<std::wstring> lines = ReadLogLines(ExplorerLog());
  CheckEqual(lines.size(), expected, "home-page launches");
  for (const std::wstring& line : lines) CheckText(line, kHomePageLaunch, "launch command line");
}

void EndWith(Program& program, WORD key, long expectedCode) {
  MakeForeground(program.Main());
  PressKeys({}, key);
  CheckEqual(program.WaitExit(), expectedCode, "exit code");
}

void CloseByCloseBox(Program& program) {
  PostMessageW(program.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  CheckEqual(program.WaitExit(), static_cast<long>(kCancelled), "exit code after the close box");
}

// ---- scenarios

void Resources() { CheckResources(programPath); }

// The x or y of a window centred in (or over) `around`, kept inside the work area.
int Centred(LONG aroundLow, LONG aroundHigh, LONG size, LONG areaLow, LONG areaHigh) {
  LONG at = (aroundLow + aroundHigh) / 2 - size / 2;
  if (at + size > areaHigh) at = areaHigh - size;
  if (at < areaLow) at = areaLow;
  return at;
}

void CheckCentred(HWND window, const RECT& around, const std::string& what) {
  const RECT area = WorkArea();
  const RECT rect = WindowRect(window);
  CheckEqual(rect.left,
             Centred(around.left, around.right, rect.right - rect.left, area.left, area.right),
             what + " x");
  CheckEqual(rect.top,
             Centred(around.top, around.bottom, rect.bottom - rect.top, area.top, area.bottom),
             what + " y");
}

// Checks the controls of a dialog against the table: order, ids, classes, texts, styles and
// places. The places must follow from one pair of dialog base units.
void CheckControls(HWND dialog, const ExpectedControl* wants, std::size_t count,
                   const std::string& name) {
  const std::vector<HWND> children = Children(dialog);
  CheckEqual(children.size(), count, name + " control count");
  for (std::size_t i = 0; i < children.size() && i < count; ++i) {
    const HWND child = children[i];
    const ExpectedControl& want = wants[i];
    const std::string what = name + " control " + std::to_string(i + 1);
    CheckEqual(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(want.id), what + " id");
    Check(lstrcmpiW(ClassOf(child).c_str(), W(want.windowClass).c_str()) == 0,
          what + " class " + U(ClassOf(child)));
    if (want.text[0] != '#') CheckText(Text(child), want.text, what + " text");
    DWORD style = Style(child);
    // The dialog manager marks the focused push button as the default one while it has focus.
    if (want.style == 0x50010000 && style == 0x50010001) style = want.style;
    CheckEqual(Hex(style), Hex(want.style), what + " style");
    CheckEqual(ExStyle(child) & ~static_cast<DWORD>(WS_EX_NOPARENTNOTIFY), 0ul,
               what + " extended style");
  }
  // One pair of base units must explain every control's rectangle.
  for (int bx = 1; bx < 64; ++bx) {
    for (int by = 1; by < 64; ++by) {
      bool all = children.size() == count;
      for (std::size_t i = 0; all && i < count; ++i) {
        const ExpectedControl& s = wants[i];
        const RECT r = RectInParent(children[i]);
        // An icon control takes the icon's own size.
        const bool sized = s.text[0] != '#';
        all = r.left == MulDiv(s.x, bx, 4) && r.top == MulDiv(s.y, by, 8) &&
              (!sized || (r.right - r.left == MulDiv(s.cx, bx, 4) &&
                          r.bottom - r.top == MulDiv(s.cy, by, 8)));
      }
      if (all) return;
    }
  }
  std::string rects;
  for (HWND child : children) {
    const RECT r = RectInParent(child);
    rects += " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
             std::to_string(r.right) + "," + std::to_string(r.bottom);
  }
  Fail(name + ": the control rectangles do not follow the template's dialog units:" + rects);
}

void MainDialog() {
  Program program(programPath);
  const HWND main = program.Main();
  if (main == nullptr) return;
  CheckText(Text(main), "FrindelV2.1", "caption");
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  CheckEqual(Hex(Style(main) & ~static_cast<DWORD>(WS_CLIPSIBLINGS) & 0xFFFF0000), "0x90CA0000",
             "dialog style");
  Check((ExStyle(main) & WS_EX_APPWINDOW) != 0, "the dialog has a taskbar button");
  Check(GetWindow(main, GW_OWNER) == nullptr, "the main dialog has no owner");
  CheckCentred(main, WorkArea(), "main dialog");
  CheckControls(main, kMainControls, std::size(kMainControls), "main dialog");
  for (int id : {1001, 1002, 1003}) {
    CheckEqual(Send(GetDlgItem(main, id), BM_GETCHECK), BST_CHECKED,
               "check box " + std::to_string(id) + " ticked");
  }
  Check(FocusOf(main) == GetDlgItem(main, 1000), "the Open button has the focus");

  // (The icons cannot be read from here: Wine answers WM_GETICON and WM_QUERYDRAGICON only
  // inside the window's own process. scripts/screenshots shows them.)

  // Other system commands keep their default handling.
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Check(WaitUntil([main] { return IsIconic(main) != FALSE; }, 3000), "the dialog minimises");
  PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
  Check(WaitUntil([main] { return IsIconic(main) == FALSE; }, 3000), "the dialog is restored");

  CloseByCloseBox(program);
  CheckLaunches(1);
}

void Exporting() {
  const std::wstring input = Data("联系人.htm");
  WriteFileBytes(input, ContactsPage());
  Program program(programPath);
  const HWND main = program.Main();
  if (main == nullptr) return;

  // A typed name without extension receives ".txt".
  Export(program, input, Data("结果"));
  CheckEqual(ReadFileBytes(Data("结果.txt")), kAllFields, "output bytes");
  Check(!FileExists(Data("结果")), "no output without the extension");

  // An existing output: the chooser asks first; the file is rewritten.
  WriteFileBytes(Data("结果.txt"),
                 "old text that is longer than the new one ......................");
  Export(program, input, Data("结果.txt"), true);
  CheckEqual(ReadFileBytes(Data("结果.txt")), kAllFields, "rewritten output bytes");

  // The switches are read at every click.
  Click(main, 1002);
  WaitUntil([main] { return Send(GetDlgItem(main, 1002), BM_GETCHECK) == BST_UNCHECKED; }, 3000);
  Export(program, input, Data("without-name.txt"));
  CheckEqual(ReadFileBytes(Data("without-name.txt")), kWithoutName, "output without names");

  // The input is closed before the Save chooser: it may be the output too.
  const std::wstring same = Data("same.htm");
  WriteFileBytes(same, ContactsPage());
  Export(program, same, same, true);
  CheckEqual(ReadFileBytes(same), kWithoutName, "input overwritten by its records");

  // Cancelling the Open chooser, then the Save chooser, ends the command silently.
  Click(main, 1000);
  if (const HWND open = WaitChooser(program, true)) PostClick(open, IDCANCEL);
  Settle();
  Check(program.OnlyMainOpen(), "nothing follows a cancelled Open chooser");
  const HWND open = ChooseInput(program, input);
  if (const HWND save = WaitChooser(program, false, open)) PostClick(save, IDCANCEL);
  Settle();
  Check(program.OnlyMainOpen(), "nothing follows a cancelled Save chooser");

  EndWith(program, VK_ESCAPE, kCancelled);
  CheckLaunches(1);
}

void NoField() {
  // Renamed: the title (and so the warning's caption) follows the file name.
  const std::wstring renamed = folder + W("导出工具.v2.exe");
  CopyFileW(programPath.c_str(), renamed.c_str(), FALSE);
  const std::wstring input = Data("联系人.htm");
  WriteFileBytes(input, ContactsPage());
  {
    Program program(renamed);
    const HWND main = program.Main();
    if (main == nullptr) return;
    for (int id : {1001, 1002, 1003}) Click(main, id);
    WaitUntil(
        [main] {
          for (int id : {1001, 1002, 1003}) {
            if (Send(GetDlgItem(main, id), BM_GETCHECK) != BST_UNCHECKED) return false;
          }
          return true;
        },
        3000);

    // The warning, then the export goes on: one empty record line per contact line.
    Click(main, 1000);
    ExpectMessageBox(program, "导出工具.v2", "你让我导出你呀！", true);
    const HWND open = WaitChooser(program, true);
    if (open != nullptr) TypeInto(open, input);
    if (const HWND save = WaitChooser(program, false, open)) TypeInto(save, Data("空.txt"));
    ExpectMessageBox(program, "恭喜！", "你已成功导出", false);
    CheckEqual(ReadFileBytes(Data("空.txt")), kNoField, "output with no field");

    // The warning, then a cancelled Open chooser: nothing more.
    Click(main, 1000);
    ExpectMessageBox(program, "导出工具.v2", "你让我导出你呀！", true);
    if (const HWND again = WaitChooser(program, true)) PostClick(again, IDCANCEL);
    Settle();
    Check(program.OnlyMainOpen(), "nothing follows the cancelled chooser");

    // Enter with the focus on a check box ends the dialog with IDOK.
    Send(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(main, 1001)), TRUE);
    Check(FocusOf(main) == GetDlgItem(main, 1001), "focus on the QQ check box");
    EndWith(program, VK_RETURN, IDOK);
  }
  CheckLaunches(1);
  DeleteFileW(renamed.c_str());
}

void FileErrors() {
  const std::wstring input = Data("联系人.htm");
  WriteFileBytes(input, ContactsPage());
  Program program(programPath);
  const HWND main = program.Main();
  if (main == nullptr) return;

  // A name typed for a file that does not exist.
  const std::wstring missing = Data("没有这个文件.htm");
  ChooseInput(program, missing);
  ExpectMessageBox(program, "Korvel", "没有找到 " + U(missing) + "。", true);
  Settle(200);
  Check(program.OnlyMainOpen(), "no Save chooser after a failed input");

  // Another program holds the input open without sharing.
  const HANDLE held =
      CreateFileW(input.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(held != INVALID_HANDLE_VALUE, "the driver holds the input");
  ChooseInput(program, input);
  ExpectMessageBox(program, "Korvel", "在存取 " + U(input) + " 时发生共享违例。", true);
  CloseHandle(held);

  // An output in a folder that does not exist.
  const std::wstring nowhere = Data("没有的文件夹\\结果.txt");
  const HWND open = ChooseInput(program, input);
  if (const HWND save = WaitChooser(program, false, open)) TypeInto(save, nowhere);
  ExpectMessageBox(program, "Korvel", U(nowhere) + " 中包含无效的路径。", true);

  // A read-only output stays as it was.
  const std::wstring locked = Data("只读.txt");
  WriteFileBytes(locked, "keep");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  const HWND open2 = ChooseInput(program, input);
  if (const HWND save = WaitChooser(program, false, open2)) {
    TypeInto(save, locked);
    if (const HWND question = program.WaitDialog("overwrite question", IsMessageBox)) {
      PostClick(question, IDYES);
      WaitUntil([question] { return !IsWindow(question); }, 5000);
    }
  }
  ExpectMessageBox(program, "Korvel", "对 " + U(locked) + " 的存取被拒绝。", true);
  CheckEqual(ReadFileBytes(locked), std::string("keep"), "read-only output unchanged");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

  // An empty page gives an empty file and the success message.
  const std::wstring empty = Data("空.htm");
  WriteFileBytes(empty, "");
  Export(program, empty, Data("空.txt"));
  CheckEqual(ReadFileBytes(Data("空.txt")), std::string(), "output of an empty page");

  // Awkward bytes: a zero byte ends its line, a contact marker behind a GBK lead byte does not
  // count, a lead byte may end a line, and 0x1A ends the page.
  using namespace std::string_literals;
  const std::wstring awkward = Data("awkward.htm");
  WriteFileBytes(awkward,
                 "L_n n=\"A\" e=\"1@qq.com\"\0>&nbsp\r\n"
                 "\x81L_n n=\"B\" e=\"2@qq.com\">&nbsp\r\n"
                 "L_n n=\"D\" e=\"4@qq.com\">&nbsp\xB0\r\n"
                 "L_n n=\"C\" e=\"3@qq.com\">&nbsp\x1A\r\n"
                 "L_n n=\"E\" e=\"5@qq.com\">&nbsp\r\n"s);
  Export(program, awkward, Data("awkward.txt"));
  CheckEqual(ReadFileBytes(Data("awkward.txt")),
             std::string("1----A----\r\n4----D----4@qq.com\r\n3----C----3@qq.com\r\n"),
             "output of a page with awkward bytes");

  // The dialog goes on working.
  Export(program, input, Data("after-errors.txt"));
  CheckEqual(ReadFileBytes(Data("after-errors.txt")), kAllFields, "export after the errors");

  CloseByCloseBox(program);
  CheckLaunches(1);
}

void HomePage() {
  {
    Program program(programPath);
    const HWND main = program.Main();
    if (main == nullptr) return;
    for (int click = 1; click <= 3; ++click) {
      Click(main, 1004);
      CheckLaunches(static_cast<std::size_t>(click));
    }
    // A second copy runs beside the first, and ends with its own launch.
    {
      Program second(programPath);
      Check(second.Main() != nullptr && second.Main() != main, "a second copy opens its dialog");
      if (second.Main() != nullptr) CloseByCloseBox(second);
    }
    CheckLaunches(4);
    CloseByCloseBox(program);
  }
  CheckLaunches(5);
}

HWND WaitAbout(Program& program) {
  return program.WaitDialog("About box", [](HWND w) { return Text(w) == W("关于 Korvel"); });
}

void AboutBox() {
  Program program(programPath);
  const HWND main = program.Main();
  if (main == nullptr) return;

  // 0x0010 to 0x001F open the About box; it ends by OK, Esc, Enter or its close box.
  for (UINT command = 0x0010; command <= 0x001F; ++command) {
    PostMessageW(main, WM_SYSCOMMAND, command, 0);
    const HWND about = WaitAbout(program);
    if (about == nullptr) return;
    if (command == 0x0010) {
      CheckCentred(about, WindowRect(main), "About box");
      Check(GetWindow(about, GW_OWNER) == main, "the main dialog owns the About box");
      Check(!IsWindowEnabled(main), "the main dialog is disabled while the About box runs");
      CheckControls(about, kAboutControls, std::size(kAboutControls), "About box");
      Check(Send(Children(about)[0], STM_GETICON) != 0, "the About box shows the icon");
      CheckEqual(Hex(Style(about) & ~static_cast<DWORD>(WS_CLIPSIBLINGS) & 0xFFFF0000),
                 "0x90C80000", "About box style");
    }
    switch (command) {
      case 0x0011:
        MakeForeground(about);
        PressKeys({}, VK_ESCAPE);
        break;
      case 0x0012:
        MakeForeground(about);
        PressKeys({}, VK_RETURN);
        break;
      case 0x0013:
        PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      default:
        PostClick(about, IDOK);
    }
    Check(WaitUntil([about] { return !IsWindow(about); }, 5000),
          "the About box ends (command " + Hex(command) + ")");
    Check(WaitUntil([main] { return IsWindowEnabled(main) != FALSE; }, 2000),
          "the main dialog is enabled again");
  }
  // Commands outside 0x0010..0x001F do not.
  for (UINT command : {0x000Fu, 0x0020u, 0x0021u}) PostMessageW(main, WM_SYSCOMMAND, command, 0);
  Settle();
  Check(program.OnlyMainOpen(), "no About box for 0x000F, 0x0020, 0x0021");

  EndWith(program, VK_ESCAPE, kCancelled);
  CheckLaunches(1);
}

std::size_t HelpRequests() { return ReadLogLines(HelpLog()).size(); }

void CheckHelpRequest(std::size_t index, DWORD context) {
  WaitUntil([index] { return HelpRequests() > index; }, 5000);
  const std::vector<std::wstring> lines = ReadLogLines(HelpLog());
  Check(lines.size() > index, "help request " + std::to_string(index + 1) + " reached the engine");
  if (lines.size() <= index) return;
  const std::wstring expected =
      std::to_wstring(HELP_CONTEXT) + L"|" + W(Hex(context)) + L"|" + folder + L"Korvel.HLP";
  CheckText(lines[index], U(expected), "help request " + std::to_string(index + 1));
}

void Help() {
  Program program(programPath);
  const HWND main = program.Main();
  if (main == nullptr) return;

  MakeForeground(main);
  PressKeys({}, VK_F1);
  CheckHelpRequest(0, 0x20000 + 102);

  for (WORD modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
    MakeForeground(main);
    PressKeys({modifier}, VK_F1);
  }
  Settle(600);
  CheckEqual(HelpRequests(), 1u, "help requests after Shift+F1, Ctrl+F1, Alt+F1");
  Check(program.OnlyMainOpen(), "no window after F1 with a modifier");

  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  if (const HWND about = WaitAbout(program)) {
    MakeForeground(about);
    PressKeys({}, VK_F1);
    CheckHelpRequest(1, 0x20000 + 100);
    PostClick(about, IDOK);
    WaitUntil([about] { return !IsWindow(about); }, 5000);
  }

  // The help engine cannot start: the failure message; F1 in it asks for nothing.
  const std::wstring failFlag = folder + L"winhlp32.fail";
  WriteFileBytes(failFlag, "");
  MakeForeground(main);
  PressKeys({}, VK_F1);
  const HWND box = program.WaitDialog("help failure message", IsMessageBox);
  if (box != nullptr) {
    CheckText(Text(box), "Korvel", "help failure caption");
    CheckText(Text(GetDlgItem(box, 0xFFFF)), "启动帮助失败。", "help failure text");
    Check(HasIcon(box), "help failure message has an icon");
    MakeForeground(box);
    PressKeys({}, VK_F1);
    Settle(600);
    CheckEqual(Dialogs(program.Id()).size(), 2u, "F1 in the failure message opens nothing more");
    PostClick(box, IDOK);
    WaitUntil([box] { return !IsWindow(box); }, 5000);
  }
  DeleteFileW(failFlag.c_str());
  CheckEqual(HelpRequests(), 2u, "help requests after the failure");

  EndWith(program, VK_ESCAPE, kCancelled);
  CheckLaunches(1);
}

// ---- set-up

std::wstring WindowsPath(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
  return path;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path + L"\\" + name;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

struct Scenario {
  const char* name;
  void (*run)();
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: korvel_wine_tests KORVEL.EXE STUB_FOLDER [SCENARIO...]\n", stderr);
    return 2;
  }
  const std::wstring source = WindowsPath(argv[1]);
  const std::wstring stubs = WindowsPath(argv[2]) + L"\\";

  SetScenario("setup");
  CheckEqual(GetACP(), 936u, "ANSI code page (run under scripts/wine-run)");

  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  wchar_t longTemp[32768];
  GetLongPathNameW(temp, longTemp, 32768);
  folder =
      std::wstring(longTemp) + W("korvel 测试 ") + std::to_wstring(GetCurrentProcessId()) + L"\\";
  programPath = folder + L"Korvel.exe";

  const Scenario scenarios[] = {
      {"resources", Resources},    {"main-dialog", MainDialog},
      {"export", Exporting},       {"no-field", NoField},
      {"file-errors", FileErrors}, {"home-page", HomePage},
      {"about-box", AboutBox},     {"help", Help},
  };
  const auto started = std::chrono::steady_clock::now();
  for (const Scenario& scenario : scenarios) {
    bool wanted = argc == 3;
    for (int i = 3; i < argc; ++i) wanted = wanted || W(scenario.name) == argv[i];
    if (!wanted) continue;

    // A fresh folder for every scenario: the program, the stand-ins, no logs, no data.
    RemoveTree(folder.substr(0, folder.size() - 1));
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"data").c_str(), nullptr);
    Check(CopyFileW(source.c_str(), programPath.c_str(), FALSE) != FALSE, "copy Korvel.exe");
    for (const wchar_t* stub : {L"explorer.exe", L"winhlp32.exe"}) {
      Check(CopyFileW((stubs + stub).c_str(), (folder + stub).c_str(), FALSE) != FALSE,
            "copy " + U(stub));
    }

    SetScenario(scenario.name);
    const int failuresBefore = FailureCount();
    const auto start = std::chrono::steady_clock::now();
    scenario.run();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s %s (%.1f s)\n", FailureCount() == failuresBefore ? "ok  " : "FAIL",
                scenario.name, seconds);
    std::fflush(stdout);
  }
  Sleep(200);  // let the last stand-ins end before their folder goes
  RemoveTree(folder.substr(0, folder.size() - 1));
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d failure(s), %.1f s\n", FailureCount(), total);
  return FailureCount() == 0 ? 0 : 1;
}
