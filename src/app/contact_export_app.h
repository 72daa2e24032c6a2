#pragma once

#include "win/application.h"

// The application: runs the main dialog once, then lets the program end.
class CContactExportApp : public win::Application {
 public:
  BOOL InitInstance() override;

  const win::MessageMap* GetMessageMap() const override { return &kMessageMap; }
  static const win::MessageMap kMessageMap;

 private:
  static const win::MessageMapEntry kEntries[];
};
