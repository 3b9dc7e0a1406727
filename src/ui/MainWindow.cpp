// The settings window: a modeless dialog, hidden most of the time, through
// whose procedure every event of the program arrives.
#include "ui/MainWindow.h"
#include "app/MailCheckerApp.h"
#include "checking/Scheduler.h"
#include "config/SettingsFile.h"
#include "config/SettingsFileChange.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <commctrl.h>

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
    if (isListCommand(id) && theApp.checking) {
        theApp.deferredListCommand = id;
        return;
    }
    switch (id) {
    case IDC_ACCOUNT_LIST:
        // A double click on a line acts as "編集".
        if (notification == LBN_DBLCLK)
            SendMessageW(window, WM_COMMAND, IDC_EDIT_ACCOUNT, 0);
        break;
    case IDC_NEW_ACCOUNT:
        theApp.newAccount();
        break;
    case IDC_EDIT_ACCOUNT:
        theApp.editAccount();
        break;
    case IDC_DELETE_ACCOUNT:
        theApp.deleteAccount(
            static_cast<int>(SendDlgItemMessageW(window, IDC_ACCOUNT_LIST, LB_GETCURSEL, 0, 0)));
        break;
    case IDM_CHECK_NOW:
        // Exactly a left click on the icon, with the same conditions.
        SendMessageW(window, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        break;
    case IDM_SHOW_WINDOW:
        // No timed rounds while the user may be changing the settings.
        stopSchedulerTimer(window);
        ShowWindow(window, SW_RESTORE);
        theApp.readSettingsFile(window);
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
        theApp.saveSettings();
        break;
    case WM_SIZE:
        // Minimized, the window would keep the timer stopped with nothing
        // on screen to say so: it is closed instead.
        if (wParam == SIZE_MINIMIZED)
            theApp.saveSettings();
        break;
    case WM_COMMAND:
        onCommand(window, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_TIMER:
        if (wParam == kRoundWatchTimer)
            theApp.watchRound();
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
    case WM_MAILBOX_CHECKED:
        theApp.onMailboxChecked(wParam);
        break;
    case WM_CONFIRMED_DELETION:
        theApp.deleteAccount(static_cast<int>(wParam), true);
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

bool MailCheckerApp::isChecked(int controlId)
{
    return SendDlgItemMessageW(mainWindow, controlId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MailCheckerApp::loadSettings()
{
    // Nothing is written to the file until it has been read: one held by
    // another program is no first start, and a save would store a count of
    // 0 over every account. A click while a box below is up reads it first.
    settingsFileUnread = 1;
    // Before anything is read: a save cut short may have left the accounts
    // in the copy alone.
    LeftoverCopy leftover;
    const bool restored = restoreLeftoverCopy(leftover);

    // The edit is read-only: the arrows are the only way to change the
    // interval, and they stop at both ends.
    CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_SETBUDDYINT | UDS_ALIGNRIGHT,
                        0, 0, 0, 0, mainWindow, IDC_INTERVAL_SPIN, instance,
                        GetDlgItem(mainWindow, IDC_INTERVAL), kIntervalMaximum, 0, 0);

    if (restored) {
        showFormattedBox(NULL, leftover.kept[0] ? Box::damagedSettingsRestored : Box::settingsRestored,
                         fileNameOf(leftover.filePath), fileNameOf(leftover.copyPath), fileNameOf(leftover.kept));
    } else if (leftover.copyDamaged) {
        // Kept under its own name when it could not be renamed.
        showFormattedBox(NULL, leftover.fileMissing ? Box::copyNotRestored : Box::damagedCopyNotRestored,
                         fileNameOf(leftover.filePath), fileNameOf(leftover.copyPath),
                         fileNameOf(leftover.kept[0] ? leftover.kept : leftover.copyPath));
    }
    readSettingsFile(NULL);
}

bool MailCheckerApp::readSettingsFile(HWND owner)
{
    if (!settingsFileUnread)
        return true;
    ProfileText text;
    if (!readSettingsText(text)) {
        wchar_t path[MAX_PATH];
        TrayApp::settingsFilePath(path);
        showFormattedBox(owner, Box::settingsFileUnreadable, fileNameOf(path));
        return false;
    }
    settingsFileUnread = 0;
    bool settingsRead = readSettingsRecord(text);
    bool recordsBeyondSlots = accountRecordsBeyondSlots(text, settingsRead, settings.accountCount);
    bool accountsWithoutSettings = !settleAccountCount(text, settingsRead);
    settings.intervalMinutes = intervalInRange(settings.intervalMinutes);
    refreshAccountList(text);

    const struct {
        uint8_t flag;
        int     box;
    } options[] = {
        {settings.reportOnTop, IDC_REPORT_ON_TOP},
        {settings.reportPerUser, IDC_REPORT_PER_USER},
        {settings.reportUnread, IDC_REPORT_UNREAD},
        {settings.lanMode, IDC_LAN_MODE},
        {settings.endRoundOnLaunch, IDC_END_ROUND_ON_LAUNCH},
    };
    for (const auto& option : options)
        SendDlgItemMessageW(mainWindow, option.box, BM_SETCHECK, option.flag ? BST_CHECKED : BST_UNCHECKED, 0);
    SendDlgItemMessageW(mainWindow, IDC_INTERVAL_SPIN, UDM_SETPOS32, 0, settings.intervalMinutes);

    if (accountsWithoutSettings)
        showBox(owner, Box::settingsUnreadable);
    if (recordsBeyondSlots)
        showBox(owner, Box::accountsBeyondSlots);
    return true;
}

// The options as the window shows them, into the settings file.
bool MailCheckerApp::saveOptions()
{
    settings.reportOnTop = isChecked(IDC_REPORT_ON_TOP);
    settings.reportPerUser = isChecked(IDC_REPORT_PER_USER);
    settings.reportUnread = isChecked(IDC_REPORT_UNREAD);
    settings.lanMode = isChecked(IDC_LAN_MODE);
    settings.endRoundOnLaunch = isChecked(IDC_END_ROUND_ON_LAUNCH);
    settings.intervalMinutes = static_cast<int32_t>(GetDlgItemInt(mainWindow, IDC_INTERVAL, NULL, TRUE));
    return writeSettingsRecord();
}

void MailCheckerApp::saveSettings()
{
    // Options shown before the file was read are the start values, not the
    // user's: they are not saved. Read now, the file's own take their place.
    if (settingsFileUnread)
        readSettingsFile(mainWindow);
    else if (!saveOptions())
        showBox(mainWindow, Box::settingsNotSaved);

    // A round under way starts the timer when it ends; started now, a tick
    // could show "オフライン" while the round still runs.
    if (!checking)
        startSchedulerTimer(mainWindow);
    ShowWindow(mainWindow, SW_HIDE);
}

void MailCheckerApp::exitProgram(int exitCode)
{
    // At once: the program may take a moment to end, the server must not
    // hear another word meanwhile.
    abandonRound();
    requestQuit(exitCode);
}

// Windows ends the process soon after this returns: everything is done here,
// and nothing asks the user anything.
void MailCheckerApp::endSession()
{
    abandonRound();
    // Options changed in the open settings window are saved, as closing it
    // would save them.
    if (IsWindowVisible(mainWindow) && !settingsFileUnread)
        saveOptions();
    removeTrayIcon();
    requestQuit(0);
}
