#include "ui/contact_export_dlg.h"

#include "export/code_page.h"
#include "export/export_command.h"
#include "homepage/home_page.h"
#include "res/resource.h"
#include "ui/about_box.h"
#include "win/application.h"
#include "win/win32_platform.h"

const win::MessageMapEntry CContactExportDlg::kEntries[] = {
    {WM_SYSCOMMAND, 0, 0, win::Handler<&CContactExportDlg::OnSysCommand>},
    {WM_PAINT, 0, 0, win::Handler<&CContactExportDlg::OnPaint>},
    {WM_QUERYDRAGICON, 0, 0, win::Handler<&CContactExportDlg::OnQueryDragIcon>},
    {WM_COMMAND, BN_CLICKED, IDC_OPEN, win::Handler<&CContactExportDlg::OnOpenButton>},
    {WM_COMMAND, BN_CLICKED, IDC_HOME_PAGE, win::Handler<&CContactExportDlg::OnHomePageButton>},
};
const win::MessageMap CContactExportDlg::kMessageMap{&win::Dialog::kMessageMap, kEntries};

CContactExportDlg::CContactExportDlg(win::Dialog* parent)
    : win::Dialog(IDD_MAIN, parent),
      m_hIcon(LoadIconW(win::Application::Current()->Instance(), MAKEINTRESOURCEW(IDI_MAIN))) {}

CContactExportDlg::~CContactExportDlg() {
  win::Win32Platform platform;
  OpenHomePage(platform);
}

void CContactExportDlg::DoDataExchange(win::DataExchange& exchange) {
  win::ExchangeCheck(exchange, IDC_CHECK_EMAIL, m_bEmail);
  win::ExchangeCheck(exchange, IDC_CHECK_NAME, m_bName);
  win::ExchangeCheck(exchange, IDC_CHECK_QQ, m_bQQNumber);
}

BOOL CContactExportDlg::OnInitDialog() {
  win::Dialog::OnInitDialog();

  // The About box as an item of the system menu, below a separator.
  if (const HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE)) {
    const std::wstring label = win::LoadResourceText(IDS_ABOUT_ITEM);
    if (!label.empty()) {
      AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(systemMenu, MF_STRING, IDM_ABOUT, label.c_str());
    }
  }

  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  return TRUE;  // the focus goes to the first tab stop, the Open button
}

void CContactExportDlg::OnSysCommand(UINT id, LPARAM) {
  if ((id & 0xFFF0) == IDM_ABOUT) {
    CAboutBox about;
    about.DoModal();
  } else {
    Default();
  }
}

void CContactExportDlg::OnPaint() {
  if (!IsIconic(m_hWnd)) {
    Default();
    return;
  }
  win::PaintContext dc(m_hWnd);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Handle()), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc.Handle(), x, y, m_hIcon);
}

HICON CContactExportDlg::OnQueryDragIcon() { return m_hIcon; }

void CContactExportDlg::OnOpenButton() {
  UpdateData(true);
  win::Win32Platform platform;
  RunExportCommand(platform, FieldSelection{m_bQQNumber, m_bName, m_bEmail}, SystemCodePage());
}

void CContactExportDlg::OnHomePageButton() {
  win::Win32Platform platform;
  OpenHomePage(platform);
}
