#include "ui/about_box.h"

#include "res/resource.h"

const win::MessageMap CAboutBox::kMessageMap{&win::Dialog::kMessageMap};

CAboutBox::CAboutBox() : win::Dialog(IDD_ABOUT, nullptr) {}

void CAboutBox::DoDataExchange(win::DataExchange&) {}
