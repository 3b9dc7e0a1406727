// The tray program's one running copy, its hidden main window and its message loop.
#include "app/TrayApp.h"
#include "resources/ShowBox.h"

TrayApp::~TrayApp()
{
    // The mutex is never owned, so closing our handle is all the release it
    // needs; the icon must go, or a dead one lingers in the tray.
    if (instanceMutex)
        CloseHandle(instanceMutex);
    removeTrayIcon();
}

bool TrayApp::claimSingleInstance(const wchar_t* name)
{
    // Creating and testing in one call leaves no gap in which two copies
    // started together could both miss each other.
    HANDLE mutex = CreateMutexW(NULL, FALSE, name);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        showBox(NULL, Box::alreadyRunning);
        return false;
    }
    instanceMutex = mutex;
    return true;
}

bool TrayApp::createMainWindow(HINSTANCE moduleInstance, int dialogId, int iconId, DLGPROC dialogProc)
{
    HWND window = CreateDialogParamW(moduleInstance, MAKEINTRESOURCEW(dialogId), NULL, dialogProc, 0);
    if (!window)
        return false;
    mainWindow = window;
    instance = moduleInstance;
    HANDLE smallIcon = LoadImageW(moduleInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                  LR_DEFAULTCOLOR);
    SendMessageW(mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    return true;
}

namespace {

void dispatch(HWND mainWindow, MSG* msg)
{
    // The settings window gets keyboard navigation.
    if (IsDialogMessageW(mainWindow, msg))
        return;
    TranslateMessage(msg);
    DispatchMessageW(msg);
}

}  // namespace

void TrayApp::runMessageLoop(MSG* msg)
{
    while (GetMessageW(msg, NULL, 0, 0) > 0)
        dispatch(mainWindow, msg);
}

bool TrayApp::settingsFilePath(wchar_t (&path)[MAX_PATH])
{
    // The program's own path with "exe" replaced by "ini". A path cut short
    // by the buffer would name some other file: then there is none. The W
    // function names any folder; the A one only those the ANSI code page
    // can spell.
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) {
        path[0] = L'\0';
        return false;
    }
    memcpy(path + length - 3, L"ini", 3 * sizeof(wchar_t));
    return true;
}
