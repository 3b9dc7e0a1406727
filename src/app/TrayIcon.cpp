// The program's icon in the notification area, and its menu.
#include "app/TrayApp.h"

namespace {

// The shell may refuse a change while it is busy. A few tries with a short
// pause are enough for that; if it still refuses, the icon is most likely
// gone (a restarted shell that sent no notice), so it is added again.
const int kModifyTries = 5;
const DWORD kModifyRetryPause = 100;  // ms

void copyTip(NotifyIconDataV1& icon, const wchar_t* tip)
{
    lstrcpynW(icon.szTip, tip, sizeof icon.szTip / sizeof icon.szTip[0]);
}

PNOTIFYICONDATAW asShellRecord(NotifyIconDataV1& icon)
{
    return reinterpret_cast<PNOTIFYICONDATAW>(&icon);
}

// At the size the tray shows it (the small-icon size of the display's
// scale), so that the shell need not shrink a 32 x 32 image itself. Shared:
// the system loads each of the four once and keeps it, so a round that
// changes the icon twice makes and frees nothing, and none is destroyed here.
HICON loadTrayImage(HINSTANCE instance, int iconId)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

void TrayApp::addTrayIcon(int iconId, const wchar_t* tip)
{
    trayIcon.cbSize = sizeof trayIcon;
    trayIcon.uID = 1;
    trayIcon.hWnd = mainWindow;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    trayIcon.hIcon = loadTrayImage(instance, iconId);
    copyTip(trayIcon, tip);
    Shell_NotifyIconW(NIM_ADD, asShellRecord(trayIcon));
}

void TrayApp::setTrayIcon(int iconId, const wchar_t* tip)
{
    // Not shown (yet, or any more): nothing to change.
    if (!trayIcon.cbSize)
        return;
    // The shell keeps a copy of what it was given; ours stays for a shell
    // that has to be told again.
    trayIcon.hIcon = loadTrayImage(instance, iconId);
    copyTip(trayIcon, tip);
    bool accepted = false;
    for (int attempt = 1; attempt <= kModifyTries && !accepted; ++attempt) {
        accepted = Shell_NotifyIconW(NIM_MODIFY, asShellRecord(trayIcon)) != FALSE;
        if (!accepted && attempt < kModifyTries)
            Sleep(kModifyRetryPause);
    }
    if (!accepted)
        restoreTrayIcon();
}

// A restarted shell (Explorer) has forgotten every icon; put ours back as it
// was, so the program can still be reached.
void TrayApp::restoreTrayIcon()
{
    if (trayIcon.cbSize)
        Shell_NotifyIconW(NIM_ADD, asShellRecord(trayIcon));
}

// Once removed, the icon is not put back, not even by a restarted shell.
void TrayApp::removeTrayIcon()
{
    if (trayIcon.cbSize)
        Shell_NotifyIconW(NIM_DELETE, asShellRecord(trayIcon));
    trayIcon.cbSize = 0;
}

void TrayApp::showTrayMenu(int menuId)
{
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(menuId));
    if (!menu)
        return;
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(mainWindow);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTALIGN, cursor.x - 1, cursor.y - 1, 0,
                   mainWindow, NULL);
    // Lets the menu's loop see that it is over before the next click.
    PostMessageW(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
