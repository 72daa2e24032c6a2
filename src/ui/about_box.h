#pragma once

#include "win/dialog.h"

// The About box: the program's name, version and notice; OK, Enter, Esc or the close box end it.
class CAboutBox : public win::Dialog {
 public:
  CAboutBox();

  const win::MessageMap* GetMessageMap() const override { return &kMessageMap; }
  static const win::MessageMap kMessageMap;

 protected:
  void DoDataExchange(win::DataExchange& exchange) override;
};
