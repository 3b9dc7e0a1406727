// The main window's procedure: every event of the program arrives here and
// is routed to the part whose job it is.
#include "ui/MainWindow.h"
#include "app/MailCheckerApp.h"
#include "resources/resource.h"
#include "ui/MainWindowSettings.h"

namespace {

// Sent by the shell to every top-level window when the taskbar is created
// again, after Explorer has restarted.
UINT taskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void onTrayNotify(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_RBUTTONUP:
        theApp.showTrayMenu(IDR_TRAY_MENU);
        break;
    case WM_LBUTTONUP:
        theApp.requestRound();
        break;
    }
}

bool isListCommand(WORD id)
{
    return id == IDC_NEW_ACCOUNT || id == IDC_EDIT_ACCOUNT || id == IDC_DELETE_ACCOUNT;
}

void onCommand(HWND window, WORD id, WORD notification)
{
    // A round reads the records one by one and reports each under its
    // number. Opening the account dialog or deleting during it would move
    // or reload them under the probe, so these wait for its end.
    if (isListCommand(id) && theApp.round.checking()) {
        theApp.round.deferCommand(id);
        return;
    }
    switch (id) {
    case IDC_ACCOUNT_LIST:
        // A double click on a line acts as "編集".
        if (notification == LBN_DBLCLK)
            SendMessageW(window, WM_COMMAND, IDC_EDIT_ACCOUNT, 0);
        break;
    case IDC_NEW_ACCOUNT:
        // The new account's number follows the accounts the file holds.
        if (readSettingsFile(window))
            theApp.accountList.newAccount();
        break;
    case IDC_EDIT_ACCOUNT:
        theApp.accountList.editAccount();
        break;
    case IDC_DELETE_ACCOUNT:
        theApp.accountList.deleteAccount(
            static_cast<int>(SendDlgItemMessageW(window, IDC_ACCOUNT_LIST, LB_GETCURSEL, 0, 0)));
        break;
    case IDM_CHECK_NOW:
        // Exactly a left click on the icon, with the same conditions.
        SendMessageW(window, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        break;
    case IDM_SHOW_WINDOW:
        // No timed rounds while the user may be changing the settings.
        theApp.scheduler.stopTimer(window);
        ShowWindow(window, SW_RESTORE);
        readSettingsFile(window);
        break;
    case IDM_EXIT:
        theApp.exitProgram(0);
        break;
    }
}

}  // namespace

// Returns 0 for every message: Esc (IDCANCEL) and Enter (IDOK) do nothing, so
// only closing the window hides it.
INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        saveSettings();
        break;
    case WM_SIZE:
        // Minimized, the window would keep the timer stopped with nothing
        // on screen to say so: it is closed instead.
        if (wParam == SIZE_MINIMIZED)
            saveSettings();
        break;
    case WM_COMMAND:
        onCommand(window, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_TIMER:
        if (wParam == kRoundWatchTimer)
            theApp.round.watch();
        else if (wParam == kSettleTimer)
            theApp.onSettleTimer();
        else
            theApp.onTimer();
        break;
    case WM_POWERBROADCAST:
        theApp.onPowerBroadcast(wParam);
        break;
    case WM_TRAYNOTIFY:
        onTrayNotify(lParam);
        break;
    case WM_PROBE_ENDED:
        theApp.round.onProbeEnded(wParam);
        break;
    case WM_CONFIRMED_DELETION:
        theApp.accountList.deleteAccount(static_cast<int>(wParam), true);
        break;
    // WM_QUERYENDSESSION takes the default answer, yes, at once: the thread
    // never waits on the network.
    case WM_ENDSESSION:
        if (wParam)
            theApp.endSession();
        break;
    default:
        if (message == taskbarCreatedMessage())
            theApp.restoreTrayIcon();
        break;
    }
    return 0;
}
