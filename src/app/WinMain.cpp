// Start-up: one running copy, the hidden settings window, the tray icon, the
// scheduler, and then the message loop until "終了".
#include "app/MailCheckerApp.h"
#include "checking/Scheduler.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"
#include "ui/MainWindow.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Without its own settings file the program would read and write another
    // one, or none at all, without a word.
    wchar_t settingsPath[MAX_PATH];
    if (!TrayApp::settingsFilePath(settingsPath)) {
        showBox(NULL, Box::pathTooLong);
        return 0;
    }
    theApp.store.useFile(settingsPath);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    if (!theApp.claimSingleInstance(L"Quillora"))
        return 0;
    if (!theApp.createMainWindow(instance, IDD_MAIN, IDI_ONLINE, mainDialogProc))
        return 0;
    theApp.addTrayIcon(IDI_OFFLINE, Tip::offline);
    startSchedulerTimer(theApp.mainWindow);
    SetWindowPos(theApp.mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(theApp.mainWindow, SW_HIDE);
    theApp.loadSettings();

    // The round goes on in the message loop.
    if (theApp.isChecked(IDC_LAN_MODE))
        theApp.checkRound();
    // Let the connection monitor look once before the loop starts.
    SendMessageW(theApp.mainWindow, WM_TIMER, 0, 0);

    MSG msg = {};
    theApp.runMessageLoop(&msg);
    // However the loop ended, a conversation still under way says no more.
    theApp.abandonRound();
    return static_cast<int>(msg.wParam);
}
