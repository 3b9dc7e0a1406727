#include "app/TrayApp.h"

#include <cstring>

namespace {

// The shell may refuse a change while it is busy. A few tries with a short
// pause are enough for that; if it still refuses, the icon is most likely
// gone (a restarted shell that sent no notice), so it is added again.
const int kModifyTries = 5;
const DWORD kModifyRetryPause = 100;  // ms

void copyTip(NotifyIconDataV1& icon, const char* tip)
{
    strncpy(icon.szTip, tip, sizeof icon.szTip - 1);
    icon.szTip[sizeof icon.szTip - 1] = '\0';
}

PNOTIFYICONDATAA asShellRecord(NotifyIconDataV1& icon)
{
    return reinterpret_cast<PNOTIFYICONDATAA>(&icon);
}

}  // namespace

bool TrayApp::addTrayIcon(int iconId, const char* tip)
{
    trayIcon.cbSize = sizeof trayIcon;
    trayIcon.uID = 1;
    trayIcon.hWnd = mainWindow;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    trayIcon.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    copyTip(trayIcon, tip);
    Shell_NotifyIconA(NIM_ADD, asShellRecord(trayIcon));
    return true;
}

bool TrayApp::setTrayIcon(int iconId, const char* tip)
{
    trayIcon.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    copyTip(trayIcon, tip);
    for (int attempt = 1; attempt <= kModifyTries; ++attempt) {
        if (Shell_NotifyIconA(NIM_MODIFY, asShellRecord(trayIcon)))
            return true;
        if (attempt < kModifyTries)
            Sleep(kModifyRetryPause);
    }
    restoreTrayIcon();
    return true;
}

// A restarted shell (Explorer) has forgotten every icon; put ours back as it
// was, so the program can still be reached.
void TrayApp::restoreTrayIcon()
{
    if (trayIcon.cbSize)
        Shell_NotifyIconA(NIM_ADD, asShellRecord(trayIcon));
}

void TrayApp::showTrayMenu(int menuId)
{
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(menuId));
    if (!menu)
        return;
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(mainWindow);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTALIGN, cursor.x - 1, cursor.y - 1, 0,
                   mainWindow, NULL);
    // Lets the menu's loop see that it is over before the next click.
    PostMessageA(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
