#include "ShellTray.h"

#include <shellapi.h>

#include <cstring>

namespace {

ShellTrayIcon* hookedIcon = nullptr;

// The shell answers a mouse move within a few milliseconds: a place that
// stays silent this long has no icon of owner's. When the icon is not there
// at all, every place is asked at once and given much longer.
const DWORD kMissWaitMs = 100;
const DWORD kAbsenceWaitMs = 1500;
const DWORD kSettleMs = 200;
// The tooltip comes after about half a second of rest.
const DWORD kTooltipWaitMs = 4000;
// The icon places looked at: a few dozen pixels more than the tests ever fill.
const LONG kSearchedWidth = 240;
const LONG kSearchStep = 4;

struct TooltipSearch {
    DWORD shellProcess;
    HWND found;
};

BOOL CALLBACK findShownTooltip(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->shellProcess || lstrcmpW(className, L"tooltips_class32") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND shownTooltip(DWORD shellProcess)
{
    TooltipSearch search = {shellProcess, NULL};
    EnumWindows(findShownTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD processOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

HWND trayWindow() { return FindWindowW(L"Shell_TrayWnd", NULL); }

typedef BOOL(WINAPI* NotifyIconFunction)(DWORD, PNOTIFYICONDATAW);
NotifyIconFunction platformNotifyIcon;
HICON toldIcon;
wchar_t toldTip[64];

BOOL WINAPI recordNotifyIcon(DWORD message, PNOTIFYICONDATAW data)
{
    if ((message == NIM_ADD || message == NIM_MODIFY) && data) {
        if (data->uFlags & NIF_ICON)
            toldIcon = data->hIcon;
        if (data->uFlags & NIF_TIP)
            lstrcpynW(toldTip, data->szTip, 64);
    }
    return platformNotifyIcon(message, data);
}

// The entry of this program's import table through which its calls of
// function from dll go.
void** importSlot(const char* dll, const char* function)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(NULL));
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0)
            continue;
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slot->u1.Function);
        }
    }
    return nullptr;
}

}  // namespace

void recordShellNotifications()
{
    if (platformNotifyIcon)
        return;
    void** slot = importSlot("shell32.dll", "Shell_NotifyIconW");
    DWORD protection;
    if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return;
    platformNotifyIcon = reinterpret_cast<NotifyIconFunction>(*slot);
    *slot = reinterpret_cast<void*>(recordNotifyIcon);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

HICON iconToldToShell() { return toldIcon; }

std::wstring tipToldToShell() { return toldTip; }

const char* nameOf(TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::nothing:       return "nothing";
    case TrayPicture::blueLetters:   return "blue letters";
    case TrayPicture::redLetters:    return "red letters";
    case TrayPicture::yellowLetters: return "yellow letters";
    case TrayPicture::envelope:      return "envelope";
    }
    return "?";
}

bool removeFromShell(HWND owner, UINT id)
{
    NOTIFYICONDATAW record = {};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = owner;
    record.uID = id;
    return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

ShellTrayIcon::ShellTrayIcon(HWND owner, UINT id, UINT callbackMessage)
    : owner_(owner), id_(id), callbackMessage_(callbackMessage), expected_(WM_MOUSEMOVE), called_(false), place_()
{
    hookedIcon = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, onCallWndProc, NULL, GetCurrentThreadId());
}

ShellTrayIcon::~ShellTrayIcon()
{
    moveCursorAway();
    if (hook_)
        UnhookWindowsHookEx(hook_);
    hookedIcon = nullptr;
}

// Sees what the shell sends owner, before owner's own procedure does.
LRESULT CALLBACK ShellTrayIcon::onCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    ShellTrayIcon* icon = hookedIcon;
    if (code == HC_ACTION && icon && sent->hwnd == icon->owner_ && sent->message == icon->callbackMessage_ &&
        sent->wParam == icon->id_ && sent->lParam == static_cast<LPARAM>(icon->expected_))
        icon->called_ = true;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// The mouse at this point of the screen, as far as the shell's window there
// can tell.
void ShellTrayIcon::postMouse(UINT message, POINT screenPoint)
{
    HWND tray = trayWindow();
    HWND target = WindowFromPoint(screenPoint);
    if (!tray || !target || processOf(target) != processOf(tray))
        return;
    POINT client = screenPoint;
    ScreenToClient(target, &client);
    PostMessageW(target, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : message == WM_RBUTTONDOWN ? MK_RBUTTON : 0,
                 MAKELPARAM(client.x, client.y));
}

// Waits for the shell to pass a mouse move on to owner. Only sent messages
// are handled meanwhile: nothing of owner's queue is taken.
bool ShellTrayIcon::waitForCallback(DWORD waitMs)
{
    DWORD start = GetTickCount();
    while (!called_) {
        DWORD waited = GetTickCount() - start;
        if (waited >= waitMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, waitMs - waited, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

bool ShellTrayIcon::callsBackFrom(POINT screenPoint, DWORD waitMs)
{
    called_ = false;
    postMouse(WM_MOUSEMOVE, screenPoint);
    return waitForCallback(waitMs);
}

bool ShellTrayIcon::mouse(UINT message)
{
    if (place_.right <= place_.left)
        return false;
    expected_ = message;
    called_ = false;
    postMouse(message, {(place_.left + place_.right) / 2, (place_.top + place_.bottom) / 2});
    const bool passedOn = waitForCallback(kAbsenceWaitMs);
    expected_ = WM_MOUSEMOVE;
    return passedOn;
}

bool ShellTrayIcon::shown()
{
    place_ = RECT();
    HWND tray = trayWindow();
    RECT bar;
    if (!tray || !GetWindowRect(tray, &bar))
        return false;
    const LONG y = (bar.top + bar.bottom) / 2;
    // A mouse move at every place at once tells whether the icon is there;
    // once the shell has answered them all, one place after the other tells
    // where. The icons stand at the right end of the taskbar, the first one
    // added rightmost.
    called_ = false;
    for (LONG x = bar.right - 3; x > bar.right - kSearchedWidth; x -= kSearchStep)
        postMouse(WM_MOUSEMOVE, {x, y});
    if (!waitForCallback(kAbsenceWaitMs))
        return false;
    do
        called_ = false;
    while (waitForCallback(kSettleMs));
    for (DWORD missWait : {kMissWaitMs, kAbsenceWaitMs}) {
        for (LONG x = bar.right - 3; x > bar.right - kSearchedWidth; x -= kSearchStep) {
            if (!callsBackFrom({x, y}, missWait))
                continue;
            // Its edges, as far as the shell still answers for it.
            LONG left = x, right = x;
            while (callsBackFrom({left - 1, y}, kMissWaitMs))
                --left;
            while (right + 1 < bar.right && callsBackFrom({right + 1, y}, kMissWaitMs))
                ++right;
            place_ = {left, bar.top, right + 1, bar.bottom};
            return true;
        }
    }
    return false;
}

TrayPicture ShellTrayIcon::picture()
{
    const int width = place_.right - place_.left, height = place_.bottom - place_.top;
    if (width <= 0 || height <= 0)
        return TrayPicture::nothing;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HDC screen = GetDC(NULL);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(shot, bitmap);
    BitBlt(shot, 0, 0, width, height, screen, place_.left, place_.top, SRCCOPY);
    GdiFlush();
    int blue = 0, red = 0, yellow = 0, plaque = 0, black = 0;
    const DWORD* pixel = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
        switch (pixel[i] & 0xFFFFFF) {   // 0x00RRGGBB
        case 0x0000FF: ++blue; break;
        case 0xFF0000: ++red; break;
        case 0xFFFF00: ++yellow; break;
        case 0xC0C0C0: ++plaque; break;
        case 0x000000: ++black; break;
        }
    }
    SelectObject(shot, previous);
    DeleteObject(bitmap);
    DeleteDC(shot);
    ReleaseDC(NULL, screen);
    // At 16x16 each letter colour covers about 58 pixels and the plaque 88;
    // the envelope about 66 yellow, 19 red and 67 black, with no plaque.
    const int kMany = 30, kSome = 8;
    if (plaque >= kMany) {
        if (blue >= kMany && red == 0 && yellow == 0)
            return TrayPicture::blueLetters;
        if (red >= kMany && blue == 0 && yellow == 0)
            return TrayPicture::redLetters;
        if (yellow >= kMany && blue == 0 && red == 0)
            return TrayPicture::yellowLetters;
    } else if (plaque == 0 && yellow >= kMany && red >= kSome && black >= kMany && blue == 0) {
        return TrayPicture::envelope;
    }
    return TrayPicture::nothing;
}

void ShellTrayIcon::moveCursorAway()
{
    HWND tray = trayWindow();
    if (!tray)
        return;
    SetCursorPos(512, 200);
    DWORD start = GetTickCount();
    while (shownTooltip(processOf(tray)) && GetTickCount() - start < kTooltipWaitMs)
        Sleep(20);
}

std::wstring ShellTrayIcon::tip()
{
    HWND tray = trayWindow();
    if (!tray || place_.right <= place_.left)
        return L"";
    moveCursorAway();
    POINT middle = {(place_.left + place_.right) / 2, (place_.top + place_.bottom) / 2};
    SetCursorPos(middle.x, middle.y);
    callsBackFrom(middle, kMissWaitMs);
    std::wstring text;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kTooltipWaitMs) {
        HWND tooltip = shownTooltip(processOf(tray));
        wchar_t shown[128] = L"";
        if (tooltip && SendMessageW(tooltip, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(shown)) > 0) {
            text = shown;
            break;
        }
        Sleep(20);
    }
    moveCursorAway();
    return text;
}
