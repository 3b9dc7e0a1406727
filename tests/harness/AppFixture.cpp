#include "AppFixture.h"

#include "checking/Scheduler.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/MainWindow.h"

#include <commctrl.h>
#include <new>

void resetApplicationObject()
{
    HWND window = theApp.mainWindow;
    theApp.~MailCheckerApp();   // takes the tray icon away
    if (window)
        DestroyWindow(window);
    // Static storage starts zeroed; the constructors rely on it.
    memset(static_cast<void*>(&theApp), 0, sizeof theApp);
    new (&theApp) MailCheckerApp();
}

void AppFixture::SetUp()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    iniPath = testsettings::ownIniPath();
    DeleteFileA(iniPath.c_str());
}

void AppFixture::TearDown()
{
    resetApplicationObject();
    DeleteFileA(iniPath.c_str());
}

void AppFixture::startProgram()
{
    ASSERT_TRUE(theApp.createMainWindow(GetModuleHandleA(NULL), IDD_MAIN, IDI_ONLINE, mainDialogProc));
    theApp.addTrayIcon(IDI_OFFLINE, Tip::offline);
    startSchedulerTimer(theApp.mainWindow);
    SetWindowPos(theApp.mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(theApp.mainWindow, SW_HIDE);
    theApp.loadSettings();
}

void AppFixture::pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (theApp.mainWindow && IsDialogMessageA(theApp.mainWindow, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int AppFixture::trayIconId() const
{
    const int ids[] = {IDI_OFFLINE, IDI_ONLINE, IDI_CHECKING, IDI_MAIL_ARRIVED};
    for (int id : ids) {
        if (LoadIconA(theApp.instance, MAKEINTRESOURCEA(id)) == theApp.trayIcon.hIcon)
            return id;
    }
    return 0;
}

std::string AppFixture::trayTip() const
{
    return theApp.trayIcon.szTip;
}

bool AppFixture::trayIconPresent() const
{
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = theApp.mainWindow;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void AppFixture::check(int boxId, bool checked)
{
    SendDlgItemMessageA(theApp.mainWindow, boxId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool AppFixture::isChecked(int boxId) const
{
    return SendDlgItemMessageA(theApp.mainWindow, boxId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> AppFixture::listLines() const
{
    std::vector<std::string> lines;
    int count = static_cast<int>(SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char line[256] = "";
        SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}
