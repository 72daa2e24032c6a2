#include "app/contact_export_app.h"

#include "ui/contact_export_dlg.h"

// The help command (F1 in either dialog) reaches the application's help route.
const win::MessageMapEntry CContactExportApp::kEntries[] = {
    {WM_COMMAND, 0, win::kHelpCommand, win::Handler<&CContactExportApp::OnHelp>},
};
const win::MessageMap CContactExportApp::kMessageMap{&win::CommandTarget::kMessageMap, kEntries};

// The one application object.
CContactExportApp theApp;

BOOL CContactExportApp::InitInstance() {
  CContactExportDlg dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;  // the dialog object goes with this scope
  return FALSE;
}
