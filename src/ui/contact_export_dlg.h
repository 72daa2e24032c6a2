#pragma once

#include <windows.h>

#include <cstdint>

#include "win/dialog.h"

// The main window: the Open button that runs the export, the three field switches, the
// instructions and the home-page button. Its destruction opens the home page once more.
class CContactExportDlg : public win::Dialog {
 public:
  explicit CContactExportDlg(win::Dialog* parent = nullptr);
  ~CContactExportDlg() override;

  const win::MessageMap* GetMessageMap() const override { return &kMessageMap; }
  static const win::MessageMap kMessageMap;

 protected:
  void DoDataExchange(win::DataExchange& exchange) override;
  BOOL OnInitDialog() override;

 private:
  void OnSysCommand(UINT id, LPARAM param);
  void OnPaint();
  HICON OnQueryDragIcon();
  void OnOpenButton();
  void OnHomePageButton();

  static const win::MessageMapEntry kEntries[];

  std::int32_t m_bEmail = 1;
  std::int32_t m_bName = 1;
  std::int32_t m_bQQNumber = 1;
  HICON m_hIcon;  // shared by the system; never destroyed
};
