// Loading the settings into the main window and saving them from it.
#include "ui/MainWindowSettings.h"
#include "app/MailCheckerApp.h"
#include "config/LeftoverCopy.h"
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
    // Before anything is read: a save cut short may have left the accounts
    // in the copy alone.
    LeftoverCopy leftover;
    const bool restored = restoreLeftoverCopy(theApp.store.filePath(), leftover);

    // The edit is read-only: the arrows are the only way to change the
    // interval, and they stop at both ends.
    CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_SETBUDDYINT | UDS_ALIGNRIGHT,
                        0, 0, 0, 0, window, IDC_INTERVAL_SPIN, theApp.instance,
                        GetDlgItem(window, IDC_INTERVAL), kIntervalMaximum, 0, 0);

    // Once the window is complete: the box lets tray messages in, and a
    // click while it is up reads the file first.
    if (restored) {
        showFormattedBox(NULL, leftover.badFile[0] ? Box::damagedSettingsRestored : Box::settingsRestored,
                         fileNameOf(leftover.filePath), fileNameOf(leftover.copyPath), fileNameOf(leftover.badFile));
    } else if (leftover.copyDamaged) {
        // Set aside under its own name when it could not be renamed.
        showFormattedBox(NULL, leftover.fileMissing ? Box::copyNotRestored : Box::damagedCopyNotRestored,
                         fileNameOf(leftover.filePath), fileNameOf(leftover.copyPath),
                         fileNameOf(leftover.badFile[0] ? leftover.badFile : leftover.copyPath));
    }
    readSettingsFile(NULL);
}

bool readSettingsFile(HWND owner)
{
    SettingsStore& store = theApp.store;
    if (store.fileRead())
        return true;
    ProfileText text;
    FileNotes notes;
    if (!store.readFile(text, notes)) {
        showFormattedBox(owner, Box::settingsFileUnreadable, fileNameOf(store.filePath()));
        return false;
    }
    theApp.accountList.refresh(text);

    HWND window = theApp.mainWindow;
    const SettingsRecord& settings = store.settings();
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
        SendDlgItemMessageW(window, option.box, BM_SETCHECK, option.flag ? BST_CHECKED : BST_UNCHECKED, 0);
    SendDlgItemMessageW(window, IDC_INTERVAL_SPIN, UDM_SETPOS32, 0, settings.intervalMinutes);

    if (notes.settingsUnreadable)
        showBox(owner, Box::settingsUnreadable);
    if (notes.recordsBeyondSlots)
        showBox(owner, Box::accountsBeyondSlots);
    return true;
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
    // Options shown before the file was read are the start values, not the
    // user's: they are not saved. Read now, the file's own take their place.
    if (!theApp.store.fileRead())
        readSettingsFile(window);
    else if (!saveOptions())
        showBox(window, Box::settingsNotSaved);

    // A round under way starts the timer when it ends; started now, a tick
    // could show "オフライン" while the round still runs.
    if (!theApp.round.checking())
        theApp.scheduler.startTimer(window);
    ShowWindow(window, SW_HIDE);
}
