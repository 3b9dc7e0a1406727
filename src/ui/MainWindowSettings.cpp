// Loading the settings into the main window and saving them from it.
#include "ui/MainWindowSettings.h"
#include "app/MailCheckerApp.h"
#include "config/SiblingFiles.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace {

bool isChecked(int boxId)
{
    return IsDlgButtonChecked(theApp.mainWindow, boxId) == BST_CHECKED;
}

}  // namespace

void loadSettings()
{
    HWND window = theApp.mainWindow;
    const StartUpNotes notes = theApp.store.load();
    const SettingsRecord& settings = theApp.store.settings();
    theApp.accountList.refresh();

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
    for (const auto& option : options) {
        if (option.flag)
            SendDlgItemMessageW(window, option.box, BM_SETCHECK, BST_CHECKED, 0);
    }

    // The edit is read-only: the arrows are the only way to change the
    // interval, and they stop at both ends.
    CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_SETBUDDYINT | UDS_ALIGNRIGHT,
                        0, 0, 0, 0, window, IDC_INTERVAL_SPIN, theApp.instance,
                        GetDlgItem(window, IDC_INTERVAL), kIntervalMaximum, 0,
                        settings.intervalMinutes);

    // Once the window is complete: the box lets tray messages in.
    if (notes.restored) {
        const LeftoverCopy& leftover = notes.leftover;
        showFormattedBox(NULL, leftover.badFile[0] ? Box::damagedSettingsRestored : Box::settingsRestored,
                         fileNameOf(leftover.filePath), fileNameOf(leftover.copyPath), fileNameOf(leftover.badFile));
    }
    if (notes.settingsUnreadable)
        showBox(NULL, Box::settingsUnreadable);
    if (notes.recordsBeyondSlots)
        showBox(NULL, Box::accountsBeyondSlots);
}

bool saveOptions()
{
    SettingsRecord shown = {};
    shown.reportOnTop = isChecked(IDC_REPORT_ON_TOP);
    shown.reportPerUser = isChecked(IDC_REPORT_PER_USER);
    shown.reportUnread = isChecked(IDC_REPORT_UNREAD);
    shown.lanMode = isChecked(IDC_LAN_MODE);
    shown.endRoundOnLaunch = isChecked(IDC_END_ROUND_ON_LAUNCH);
    shown.intervalMinutes = static_cast<int32_t>(GetDlgItemInt(theApp.mainWindow, IDC_INTERVAL, NULL, TRUE));
    return theApp.store.saveOptions(shown);
}

void saveSettings()
{
    HWND window = theApp.mainWindow;
    if (!saveOptions())
        showBox(window, Box::settingsNotSaved);

    // A round under way starts the timer when it ends; started now, a tick
    // could show "オフライン" while the round still runs.
    if (!theApp.round.checking())
        theApp.scheduler.startTimer(window);
    ShowWindow(window, SW_HIDE);
}
