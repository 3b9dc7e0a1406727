// The tray icon and its menu: what the shell shows in each of the four
// states and whom it tells about the mouse, the menu's place and items, and
// an Explorer restart. The icon and its tip are read from the shell (see
// ShellTray.h), never from the program's own record.
#include "AppFixture.h"
#include "OpenMenu.h"
#include "ShellTray.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <memory>

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

class Tray : public AppFixture {
protected:
    // The shell must call the main window back with message 0x8064 and id 1.
    void SetUp() override
    {
        AppFixture::SetUp();
        startProgram();
        shell = std::make_unique<ShellTrayIcon>(theApp.mainWindow, 1, 0x8064);
    }
    void TearDown() override
    {
        shell.reset();
        AppFixture::TearDown();
    }

    void expectShellShows(TrayPicture picture, const wchar_t* tip)
    {
        ASSERT_TRUE(shell->shown()) << "no icon in the taskbar calls the main window back";
        EXPECT_STREQ(nameOf(picture), nameOf(shell->picture()));
        EXPECT_EQ(std::wstring(tip), shell->tip());
    }

    std::unique_ptr<ShellTrayIcon> shell;
};

TEST_F(Tray, StartsOfflineAndTheShellTellsTheMainWindowAboutTheMouse)
{
    expectShellShows(TrayPicture::blueLetters, L"オフライン");
}

TEST_F(Tray, ShowsEachOfTheFourStates)
{
    const struct {
        int icon;
        decltype(+Tip::online) tip;   // the program's own text, whatever its width
        TrayPicture picture;
        const wchar_t* shownTip;
    } states[] = {{IDI_ONLINE, Tip::online, TrayPicture::redLetters, L"オンライン"},
                  {IDI_CHECKING, Tip::checking, TrayPicture::yellowLetters, L"チェック中"},
                  {IDI_MAIL_ARRIVED, Tip::mailArrived, TrayPicture::envelope, L"メール受信"},
                  {IDI_OFFLINE, Tip::offline, TrayPicture::blueLetters, L"オフライン"}};
    for (const auto& state : states) {
        SCOPED_TRACE(nameOf(state.picture));
        theApp.setTrayIcon(state.icon, state.tip);
        expectShellShows(state.picture, state.shownTip);
    }
}

TEST_F(Tray, ComesBackAsItWasWhenTheTaskbarIsCreatedAgain)
{
    theApp.setTrayIcon(IDI_ONLINE, Tip::online);
    ASSERT_TRUE(removeFromShell(theApp.mainWindow, 1));
    ASSERT_FALSE(shell->shown());

    SendMessageW(theApp.mainWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    expectShellShows(TrayPicture::redLetters, L"オンライン");
}

TEST_F(Tray, AChangeToALostIconPutsItBack)
{
    ASSERT_TRUE(removeFromShell(theApp.mainWindow, 1));
    theApp.setTrayIcon(IDI_CHECKING, Tip::checking);
    expectShellShows(TrayPicture::yellowLetters, L"チェック中");
}

TEST_F(Tray, RightClickOpensTheMenuLeftOfTheCursor)
{
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

// The mouse over the icon as the shell passes it on: moving it and pressing
// a button start nothing; letting the left button go starts a round (here
// over no account, so it ends at once, online).
TEST_F(Tray, OnlyALeftClickThroughTheShellStartsARound)
{
    check(IDC_LAN_MODE, true);
    ASSERT_TRUE(shell->shown());
    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK})
        EXPECT_TRUE(shell->mouse(mouse)) << mouse;
    EXPECT_STREQ(nameOf(TrayPicture::blueLetters), nameOf(shell->picture()));
    EXPECT_TRUE(shell->mouse(WM_LBUTTONUP));
    expectShellShows(TrayPicture::redLetters, L"オンライン");
    EXPECT_FALSE(IsWindowVisible(theApp.mainWindow));
    EXPECT_EQ(0, boxes.count());
}
