// The notification area as the shell shows it, asked of the shell itself and
// never of the program's own record: under Wine it is Wine's explorer, which
// draws the icons at the right end of the virtual desktop's taskbar. A test
// that reads the program's record would pass if the shell were never told.
#pragma once
#include <windows.h>

#include <string>

// What the icon's place in the taskbar shows, told by its colours (see
// tools/make_icons.py): the emblem "QL" in blue, red or yellow letters on a
// grey plaque, or the yellow envelope with its red mark and no plaque.
enum class TrayPicture { nothing, blueLetters, redLetters, yellowLetters, envelope };
const char* nameOf(TrayPicture picture);

// What this test program last told the shell of an icon's picture and tip,
// seen on the way to the platform: from the first call of
// recordShellNotifications on, the program's calls of Shell_NotifyIconW go
// through a recorder that passes each one on. For the in-process tests,
// which cannot read the taskbar at every step.
void recordShellNotifications();
HICON iconToldToShell();
std::wstring tipToldToShell();

// Takes the icon away behind its owner's back, as a shell that restarts
// loses every icon.
bool removeFromShell(HWND owner, UINT id);

class ShellTrayIcon {
public:
    // The icon the shell tells owner about with this message and id.
    ShellTrayIcon(HWND owner, UINT id, UINT callbackMessage);
    ~ShellTrayIcon();
    ShellTrayIcon(const ShellTrayIcon&) = delete;
    ShellTrayIcon& operator=(const ShellTrayIcon&) = delete;

    // Whether the shell shows the icon: a mouse move over one of the
    // taskbar's icon places comes back to owner as (id, WM_MOUSEMOVE). Looks
    // anew each time; the place found is what picture() and tip() read.
    bool shown();
    // The picture at the icon's place, read off the screen.
    TrayPicture picture();
    // The mouse message (a move, a button pressed or let go) at the middle of
    // the icon's place, as the user's mouse gives it to the shell; true once
    // the shell has passed it on to owner.
    bool mouse(UINT message);
    // The text of the tooltip the shell shows while the cursor rests on the
    // icon, read with WM_GETTEXT through SendMessageW; empty when none came.
    std::wstring tip();

private:
    static LRESULT CALLBACK onCallWndProc(int code, WPARAM wParam, LPARAM lParam);
    void postMouse(UINT message, POINT screenPoint);
    bool waitForCallback(DWORD waitMs);
    bool callsBackFrom(POINT screenPoint, DWORD waitMs);
    void moveCursorAway();

    HWND owner_;
    UINT id_;
    UINT callbackMessage_;
    HHOOK hook_;
    UINT expected_;   // the mouse message the callback is waited for
    bool called_;
    RECT place_;   // on the screen; empty until shown() found the icon
};
