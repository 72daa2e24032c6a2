#pragma once

// Modal dialogs from resource templates, their message maps and the exchange of values between
// controls and members.
#include <windows.h>

#include <cstdint>

#include "win/message_map.h"

namespace win {

// One exchange between a dialog's controls and its members, in one direction.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saveAndValidate) : dialog_(dialog), save_(saveAndValidate) {}
  HWND Window() const { return dialog_; }
  // True: controls to members; false: members to controls.
  bool SaveAndValidate() const { return save_; }

 private:
  HWND dialog_;
  bool save_;
};

// A check box and its member. Controls to members stores the box's state (0 clear, 1 ticked,
// 2 indeterminate); members to controls first turns any value outside 0..2 into 0, then sets
// the box's state to the value.
void ExchangeCheck(DataExchange& exchange, int controlId, std::int32_t& value);

// BeginPaint ... EndPaint for the life of the object.
class PaintContext {
 public:
  explicit PaintContext(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintContext() { EndPaint(window_, &paint_); }
  PaintContext(const PaintContext&) = delete;
  PaintContext& operator=(const PaintContext&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A modal dialog. The template comes from the program's own resources; the dialog is centred
// as it opens (within the work area, or over its owner); WM_COMMAND messages that neither the
// dialog's maps nor the system handle go on to the application object.
class Dialog : public CommandTarget {
 public:
  // `parent` may be null: the application's main window then owns the dialog, unless the
  // dialog is the main window itself.
  Dialog(UINT templateId, Dialog* parent);
  ~Dialog() override;

  // Runs the dialog; returns the value given to EndDialog, or -1 when it cannot be created.
  int DoModal();
  // Moves values between controls and members through DoDataExchange.
  bool UpdateData(bool saveAndValidate);
  void EndDialog(int result);
  void CenterWindow();

  HWND Handle() const { return m_hWnd; }
  UINT TemplateId() const { return m_templateId; }
  // Our dialog object behind a window, or null for any other window.
  static Dialog* FromHandle(HWND window);

  const MessageMap* GetMessageMap() const override { return &kMessageMap; }
  static const MessageMap kMessageMap;

 protected:
  virtual void DoDataExchange(DataExchange& exchange);
  // Moves the members into the controls; TRUE lets the system focus the first tab stop.
  virtual BOOL OnInitDialog();
  // From a handler: let the system's dialog processing handle the message as well.
  void Default() { m_default = true; }

  // Enter without a default button: controls to members, then end with IDOK.
  void OnOK();
  // Esc, the close box: end with IDCANCEL.
  void OnCancel();
  // F1 (WM_HELP): the help command goes to the main window, and from there to the application.
  BOOL OnHelpInfo(HELPINFO* info);

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND Owner() const;

  UINT m_templateId;
  Dialog* m_parent;
  bool m_default = false;

  static const MessageMapEntry kEntries[];
};

}  // namespace win
