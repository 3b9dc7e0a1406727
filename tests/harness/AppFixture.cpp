#include "AppFixture.h"
#include "ShellTray.h"
#include "TestText.h"

#include "resources/resource.h"

#include <commctrl.h>
#include <new>

void resetApplicationObject()
{
    HWND window = theApp.mainWindow;
    theApp.~MailCheckerApp();   // takes the tray icon away
    if (window)
        DestroyWindow(window);
    // Static storage starts zeroed; the constructors rely on it. A plain
    // memset before the constructor runs is a dead store to the compiler
    // (the object's lifetime has not begun), which it may drop.
    SecureZeroMemory(static_cast<void*>(&theApp), sizeof theApp);
    new (&theApp) MailCheckerApp();
}

void AppFixture::SetUp()
{
    recordShellNotifications();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    iniPath = testsettings::ownIniPath();
    testsettings::removeSettingsFiles(iniPath);
}

void AppFixture::TearDown()
{
    resetApplicationObject();
    testsettings::removeSettingsFiles(iniPath);
}

void AppFixture::startProgram()
{
    ASSERT_TRUE(theApp.findSettingsFile());
    ASSERT_TRUE(theApp.openMainWindow(GetModuleHandleW(NULL)));
}

// One message at a time: what the round's end posts (a deferred command, the
// round a connection is owed) is left for the test to see.
bool finishRound(DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); theApp.round.checking();) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        if (!AppFixture::dispatchNext())
            MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
    }
    return true;
}

void runRound()
{
    theApp.round.start();
    EXPECT_TRUE(finishRound());
}

bool AppFixture::dispatchNext()
{
    MSG msg;
    if (!PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        return false;
    if (!theApp.mainWindow || !IsDialogMessageW(theApp.mainWindow, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void AppFixture::pumpMessages()
{
    while (dispatchNext()) {
    }
}

namespace {

// The colour bits of an icon's image.
std::vector<DWORD> iconPixels(HICON icon)
{
    std::vector<DWORD> pixels;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return pixels;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC screen = GetDC(NULL);
    GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

}  // namespace

int AppFixture::trayIconId() const
{
    std::vector<DWORD> shown = iconPixels(iconToldToShell());
    const int ids[] = {IDI_OFFLINE, IDI_ONLINE, IDI_CHECKING, IDI_MAIL_ARRIVED};
    for (int id : ids) {
        HICON candidate = static_cast<HICON>(LoadImageW(theApp.instance, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        bool same = !shown.empty() && iconPixels(candidate) == shown;
        DestroyIcon(candidate);
        if (same)
            return id;
    }
    return 0;
}

std::string AppFixture::trayTip() const
{
    return shiftJis(tipToldToShell().c_str());
}

void AppFixture::check(int boxId, bool checked)
{
    SendDlgItemMessageW(theApp.mainWindow, boxId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool AppFixture::isChecked(int boxId) const
{
    return SendDlgItemMessageW(theApp.mainWindow, boxId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> AppFixture::listLines() const
{
    std::vector<std::string> lines;
    int count = static_cast<int>(SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t line[256] = L"";
        SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(shiftJis(line));
    }
    return lines;
}
