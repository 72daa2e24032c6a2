#pragma once

// Resource identifiers, shared by korvel.rc and the code.

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_MAIN 102
#define IDI_MAIN 128

// The system command that opens the About box (also its system-menu item).
#define IDM_ABOUT 0x0010

#define IDC_OPEN 1000
#define IDC_CHECK_QQ 1001
#define IDC_CHECK_NAME 1002
#define IDC_CHECK_EMAIL 1003
#define IDC_HOME_PAGE 1004
