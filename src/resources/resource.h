// Resource and command ids, and the main window's own messages. The numbers
// are fixed: stored dialogs, the tray callback and tests outside the program
// rely on them.
#pragma once

// Dialogs, icons and the tray menu
#define IDD_MAIN                 101
#define IDI_OFFLINE              102
#define IDI_ONLINE               103
#define IDI_CHECKING             104
#define IDI_MAIL_ARRIVED         105
#define IDR_TRAY_MENU            106
#define IDD_ACCOUNT              107

// Main window (dialog 101)
#define IDC_ACCOUNT_LIST         1000
#define IDC_NEW_ACCOUNT          1001
#define IDC_EDIT_ACCOUNT         1002
#define IDC_DELETE_ACCOUNT       1003
#define IDC_REPORT_ON_TOP        1004
#define IDC_REPORT_PER_USER      1005
#define IDC_LAN_MODE             1007
#define IDC_REPORT_UNREAD        1008
#define IDC_END_ROUND_ON_LAUNCH  1009
#define IDC_INTERVAL             1010
#define IDC_INTERVAL_SPIN        0

// Account dialog (dialog 107); its 1009 is unrelated to the main window's
#define IDC_LAUNCH_MAILER        1009
#define IDC_REGISTER             1011
#define IDC_USER_NAME            1012
#define IDC_ACCOUNT_NAME         1013
#define IDC_PASSWORD             1014
#define IDC_SERVER               1015
#define IDC_MAILER_PATH          1016

// Tray menu commands
#define IDM_CHECK_NOW            40001
#define IDM_SHOW_WINDOW          40002
#define IDM_EXIT                 40003

// The main window's own messages
#define WM_TRAYNOTIFY            (WM_APP + 100)   // the tray callback; lParam carries the mouse message
#define WM_PROBE_ENDED           (WM_APP + 101)   // posted by a probe's worker once its connection is closed
#define WM_CONFIRMED_DELETION    (WM_APP + 102)   // posted at a round's end; wParam is the list line

#ifndef IDC_STATIC
#define IDC_STATIC               (-1)
#endif
