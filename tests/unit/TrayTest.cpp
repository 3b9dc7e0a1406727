// The tray icon and its menu: the record the shell is given, the four
// states, the menu's place and items, and an Explorer restart.
#include "AppFixture.h"
#include "OpenMenu.h"
#include "resources/Messages.h"
#include "resources/resource.h"

namespace {

struct OpenedMenu {
    RECT rect = {};
    std::vector<std::string> items;
    bool seen = false;
};
OpenedMenu openedMenu;

// Runs inside the menu's own loop: notes where the menu stands and what it
// offers, then closes it.
void CALLBACK inspectMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = openMenuOfThisThread();
    if (!menuWindow)
        return;
    KillTimer(NULL, timer);
    GetWindowRect(menuWindow, &openedMenu.rect);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        openedMenu.items.push_back(text);
    }
    openedMenu.seen = true;
    EndMenu();
}

}  // namespace

class Tray : public AppFixture {};

TEST_F(Tray, StartsOfflineWithTheFirstRecordLayout)
{
    startProgram();
    EXPECT_TRUE(trayIconPresent());
    EXPECT_EQ(IDI_OFFLINE, trayIconId());
    EXPECT_EQ("オフライン", trayTip());
    EXPECT_EQ(152u, theApp.trayIcon.cbSize);
    EXPECT_EQ(1u, theApp.trayIcon.uID);
    EXPECT_EQ(theApp.mainWindow, theApp.trayIcon.hWnd);
    EXPECT_EQ(UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP), theApp.trayIcon.uFlags);
    EXPECT_EQ(0x8064u, theApp.trayIcon.uCallbackMessage);
}

TEST_F(Tray, ShowsEachOfTheFourStates)
{
    startProgram();
    const struct {
        int icon;
        const char* tip;
        const wchar_t* given;
    } states[] = {{IDI_ONLINE, "オンライン", Tip::online}, {IDI_CHECKING, "チェック中", Tip::checking},
                  {IDI_MAIL_ARRIVED, "メール受信", Tip::mailArrived}, {IDI_OFFLINE, "オフライン", Tip::offline}};
    for (const auto& state : states) {
        theApp.setTrayIcon(state.icon, state.given);
        EXPECT_EQ(state.icon, trayIconId());
        EXPECT_EQ(state.tip, trayTip());
        EXPECT_EQ(10u, trayTip().size()) << "tips are 10 bytes in Shift_JIS";
        EXPECT_TRUE(trayIconPresent());
    }
}

TEST_F(Tray, ComesBackAsItWasWhenTheTaskbarIsCreatedAgain)
{
    startProgram();
    theApp.setTrayIcon(IDI_ONLINE, Tip::online);
    Shell_NotifyIconW(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAW>(&theApp.trayIcon));
    ASSERT_FALSE(trayIconPresent());

    SendMessageW(theApp.mainWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(trayIconPresent());
    EXPECT_EQ(IDI_ONLINE, trayIconId());
    EXPECT_EQ("オンライン", trayTip());
}

TEST_F(Tray, AChangeToALostIconPutsItBack)
{
    startProgram();
    Shell_NotifyIconW(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAW>(&theApp.trayIcon));
    theApp.setTrayIcon(IDI_CHECKING, Tip::checking);
    EXPECT_TRUE(trayIconPresent());
    EXPECT_EQ(IDI_CHECKING, trayIconId());
}

TEST_F(Tray, RightClickOpensTheMenuLeftOfTheCursor)
{
    startProgram();
    // Under Wine the cursor the program reads may for a moment still be the
    // one before SetCursorPos (the middle of the desktop); wait until it is
    // where it was put, and try again if the menu still came up elsewhere.
    for (int attempt = 0; attempt < 5; ++attempt) {
        openedMenu = OpenedMenu();
        SetCursorPos(600, 400);
        POINT cursor = {};
        for (int wait = 0; wait < 100 && GetCursorPos(&cursor) && (cursor.x != 600 || cursor.y != 400); ++wait)
            Sleep(10);
        SetTimer(NULL, 0, 50, inspectMenu);
        SendMessageA(theApp.mainWindow, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
        if (openedMenu.rect.right == 599 && openedMenu.rect.top == 399)
            break;
    }

    ASSERT_TRUE(openedMenu.seen);
    EXPECT_EQ(599, openedMenu.rect.right);
    EXPECT_EQ(399, openedMenu.rect.top);
    std::vector<std::string> expected = {"Quillora　終了", "", "Quillora　表示", "Quillora　巡回"};
    EXPECT_EQ(expected, openedMenu.items);
    EXPECT_FALSE(IsWindowVisible(theApp.mainWindow)) << "closing the menu chooses nothing";
}

TEST_F(Tray, ExitCommandEndsTheLoopAndTheIconGoesWithTheProgram)
{
    startProgram();
    HWND window = theApp.mainWindow;
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);

    resetApplicationObject();   // what the end of the process does
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
}

TEST_F(Tray, OtherMouseMessagesDoNothing)
{
    startProgram();
    for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK})
        SendMessageA(theApp.mainWindow, WM_TRAYNOTIFY, 1, mouse);
    EXPECT_EQ(IDI_OFFLINE, trayIconId());
    EXPECT_FALSE(IsWindowVisible(theApp.mainWindow));
    EXPECT_EQ(0, boxes.count());
}
