// What any tray-resident dialog program needs: one running copy, a hidden
// main dialog, a message loop, and an icon in the notification area.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "resources/resource.h"

// The first wide layout of NOTIFYICONDATAW, without the fields later shells
// added. The shell accepts it by its size, and every shell knows it.
struct NotifyIconDataV1 {
    DWORD cbSize;
    HWND  hWnd;
    UINT  uID;
    UINT  uFlags;
    UINT  uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[64];
};
static_assert(sizeof(NotifyIconDataV1) == NOTIFYICONDATAW_V1_SIZE, "the shell's first wide layout");
#ifdef _WIN64
static_assert(sizeof(NotifyIconDataV1) == 168, "NOTIFYICONDATAW_V1_SIZE on x64");
#else
static_assert(sizeof(NotifyIconDataV1) == 152, "NOTIFYICONDATAW_V1_SIZE on x86");
#endif

class TrayApp {
public:
    // Set once, when the main window is made; read by every part.
    HWND             mainWindow;
    HINSTANCE        instance;

    ~TrayApp();

    bool claimSingleInstance(const wchar_t* name);
    bool createMainWindow(HINSTANCE moduleInstance, int dialogId, int iconId, DLGPROC dialogProc);
    void runMessageLoop(MSG* msg);

    void addTrayIcon(int iconId, const wchar_t* tip);
    void setTrayIcon(int iconId, const wchar_t* tip);
    void restoreTrayIcon();
    void removeTrayIcon();
    void showTrayMenu(int menuId);

    // False when the program's own path does not fit the buffer.
    static bool settingsFilePath(wchar_t (&path)[MAX_PATH]);

private:
    HANDLE           instanceMutex;
    // What the shell was last told, for a shell that has to be told again.
    NotifyIconDataV1 trayIcon;
};
