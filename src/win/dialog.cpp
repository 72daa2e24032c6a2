#include "win/dialog.h"

#include "win/application.h"

namespace win {

namespace {

constexpr wchar_t kDialogProperty[] = L"Korvel.Dialog";

// Messages whose result a dialog procedure returns itself rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void ExchangeCheck(DataExchange& exchange, int controlId, std::int32_t& value) {
  if (exchange.SaveAndValidate()) {
    value = static_cast<std::int32_t>(IsDlgButtonChecked(exchange.Window(), controlId));
    return;
  }
  if (value < 0 || value > 2) value = 0;
  CheckDlgButton(exchange.Window(), controlId, static_cast<UINT>(value));
}

const MessageMapEntry Dialog::kEntries[] = {
    {WM_COMMAND, BN_CLICKED, IDOK, Handler<&Dialog::OnOK>},
    {WM_COMMAND, BN_CLICKED, IDCANCEL, Handler<&Dialog::OnCancel>},
    {WM_HELP, 0, 0, Handler<&Dialog::OnHelpInfo>},
};
const MessageMap Dialog::kMessageMap{&CommandTarget::kMessageMap, kEntries};

Dialog::Dialog(UINT templateId, Dialog* parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog() {
  if (m_hWnd != nullptr) RemovePropW(m_hWnd, kDialogProperty);
}

int Dialog::DoModal() {
  const INT_PTR result =
      DialogBoxParamW(Application::Current()->Instance(), MAKEINTRESOURCEW(m_templateId), Owner(),
                      DialogProc, reinterpret_cast<LPARAM>(this));
  return static_cast<int>(result);
}

HWND Dialog::Owner() const {
  if (m_parent != nullptr) return m_parent->m_hWnd;
  const Application* app = Application::Current();
  if (app->m_pMainWnd == this) return nullptr;
  return app->MainWindowHandle();
}

Dialog* Dialog::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<Dialog*>(GetPropW(window, kDialogProperty));
}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange exchange(m_hWnd, saveAndValidate);
  DoDataExchange(exchange);
  return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::EndDialog(int result) {
  Application* app = Application::Current();
  if (app->m_pMainWnd == this) app->SetExitCode(result);
  ::EndDialog(m_hWnd, result);
}

void Dialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL Dialog::OnHelpInfo(HELPINFO*) {
  const bool topLevel = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) == 0;
  const bool modifier =
      GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  const HWND main = Application::Current()->MainWindowHandle();
  if (topLevel && !modifier && main != nullptr) {
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(kHelpCommand, 0), 0);
  }
  return TRUE;
}

void Dialog::CenterWindow() {
  HWND center = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(m_hWnd)
                                                                    : GetWindow(m_hWnd, GW_OWNER);
  if (center != nullptr && (IsIconic(center) || !IsWindowVisible(center))) center = nullptr;

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area;
  if (center != nullptr) GetWindowRect(center, &around);

  RECT self{};
  GetWindowRect(m_hWnd, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  int x = (around.left + around.right) / 2 - width / 2;
  int y = (around.top + around.bottom) / 2 - height / 2;
  // Keep the whole dialog inside the work area.
  if (x + width > area.right) x = area.right - width;
  if (x < area.left) x = area.left;
  if (y + height > area.bottom) y = area.bottom - height;
  if (y < area.top) y = area.top;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<Dialog*>(lParam);
    dialog->m_hWnd = window;
    SetPropW(window, kDialogProperty, dialog);
  } else {
    dialog = FromHandle(window);
  }
  if (dialog == nullptr) return FALSE;
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    RemovePropW(m_hWnd, kDialogProperty);
    m_hWnd = nullptr;
    Application* app = Application::Current();
    if (app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    return FALSE;
  }
  // The guard: a failure escaping a handler is reported, and the dialog goes on.
  try {
    return RouteMessage(message, wParam, lParam);
  } catch (...) {
    Application::Current()->ReportException(std::current_exception());
  }
  return TRUE;
}

INT_PTR Dialog::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    RECT before{};
    GetWindowRect(m_hWnd, &before);
    const BOOL result = OnInitDialog();
    RECT after{};
    // A dialog that placed itself keeps its place.
    if (m_hWnd != nullptr && GetWindowRect(m_hWnd, &after) && SameRect(before, after)) {
      CenterWindow();
    }
    return result;
  }

  const bool outerDefault = m_default;  // a nested message may run while a handler waits
  m_default = false;
  LRESULT result = 0;
  bool handled = Dispatch(message, wParam, lParam, result);
  if (!handled && message == WM_COMMAND) {
    handled = Application::Current()->Dispatch(message, wParam, lParam, result);
  }
  const bool useDefault = m_default;
  m_default = outerDefault;
  if (!handled || useDefault) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  if (m_hWnd != nullptr) SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace win
