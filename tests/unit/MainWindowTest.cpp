// The settings window in-process: what it shows from the file, what closing
// it stores, the interval's arrows, and what Esc and the menu do to it.
#include "AppFixture.h"
#include "resources/resource.h"

#include <commctrl.h>

using namespace testsettings;

namespace {

// Whether timer 0 runs; looking stops it, so it is started again.
bool schedulerTimerRunning()
{
    if (!KillTimer(theApp.mainWindow, 0))
        return false;
    SetTimer(theApp.mainWindow, 0, 3000, NULL);
    return true;
}

std::string intervalText()
{
    char text[16] = "";
    GetDlgItemTextA(theApp.mainWindow, IDC_INTERVAL, text, sizeof text);
    return text;
}

HWND upDown()
{
    return GetDlgItem(theApp.mainWindow, IDC_INTERVAL_SPIN);
}

// A click on one of the up-down control's arrows.
void clickArrow(bool up)
{
    RECT area;
    GetClientRect(upDown(), &area);
    LPARAM point = MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom * 3 / 4);
    SendMessageA(upDown(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(upDown(), WM_LBUTTONUP, 0, point);
}

void closeWindow()
{
    SendMessageA(theApp.mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace

class MainWindow : public AppFixture {};

TEST_F(MainWindow, FirstStartShowsDefaultsAndWritesNothingUntilClosed)
{
    startProgram();
    for (int box : {IDC_REPORT_ON_TOP, IDC_REPORT_PER_USER, IDC_LAN_MODE, IDC_REPORT_UNREAD, IDC_END_ROUND_ON_LAUNCH})
        EXPECT_FALSE(isChecked(box)) << box;
    EXPECT_EQ("0", intervalText());
    EXPECT_TRUE(listLines().empty());
    EXPECT_FALSE(IsWindowVisible(theApp.mainWindow));
    EXPECT_FALSE(fileExists(iniPath));

    closeWindow();
    EXPECT_EQ("0000000000000000000000000000000000", rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA"));
}

TEST_F(MainWindow, StoredFlagsShowCheckedAndUncheckingStoresZero)
{
    SettingsRecord stored = makeSettings(0, 25);
    stored.reportOnTop = stored.reportPerUser = stored.lanMode = stored.reportUnread = stored.endRoundOnLaunch = 1;
    ASSERT_TRUE(writeSettings(iniPath, stored));
    startProgram();
    for (int box : {IDC_REPORT_ON_TOP, IDC_REPORT_PER_USER, IDC_LAN_MODE, IDC_REPORT_UNREAD, IDC_END_ROUND_ON_LAUNCH})
        EXPECT_TRUE(isChecked(box)) << box;
    EXPECT_EQ("25", intervalText());

    check(IDC_REPORT_PER_USER, false);
    check(IDC_END_ROUND_ON_LAUNCH, false);
    closeWindow();
    SettingsRecord saved;
    ASSERT_TRUE(readSettings(iniPath, saved));
    EXPECT_EQ(1, saved.reportOnTop);
    EXPECT_EQ(0, saved.reportPerUser);
    EXPECT_EQ(1, saved.lanMode);
    EXPECT_EQ(1, saved.reportUnread);
    EXPECT_EQ(0, saved.endRoundOnLaunch);
    EXPECT_EQ(25, saved.intervalMinutes);
}

TEST_F(MainWindow, IntervalArrowsStopAtZeroAndNinetyNineAndTypingDoesNothing)
{
    ASSERT_TRUE(writeSettings(iniPath, makeSettings(0, 98)));
    startProgram();
    ASSERT_NE(nullptr, upDown());
    clickArrow(true);
    EXPECT_EQ("99", intervalText());
    clickArrow(true);
    EXPECT_EQ("99", intervalText()) << "no wrap at the top";

    SendMessageA(upDown(), UDM_SETPOS, 0, MAKELPARAM(1, 0));
    clickArrow(false);
    EXPECT_EQ("0", intervalText());
    clickArrow(false);
    EXPECT_EQ("0", intervalText()) << "no wrap at the bottom";

    HWND edit = GetDlgItem(theApp.mainWindow, IDC_INTERVAL);
    SendMessageA(edit, WM_CHAR, '7', 0);
    EXPECT_EQ("0", intervalText()) << "the edit is read-only";
    closeWindow();
    SettingsRecord saved;
    ASSERT_TRUE(readSettings(iniPath, saved));
    EXPECT_EQ(0, saved.intervalMinutes);
}

TEST_F(MainWindow, ShowStopsTheTimerAndClosingOrMinimizingSavesHidesAndRestartsIt)
{
    startProgram();
    EXPECT_TRUE(schedulerTimerRunning());
    SendMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
    EXPECT_TRUE(IsWindowVisible(theApp.mainWindow));
    EXPECT_FALSE(schedulerTimerRunning());

    // Esc reaches the dialog as IDCANCEL, which leaves the window shown.
    MSG escape = {};
    escape.hwnd = GetDlgItem(theApp.mainWindow, IDC_ACCOUNT_LIST);
    escape.message = WM_KEYDOWN;
    escape.wParam = VK_ESCAPE;
    IsDialogMessageA(theApp.mainWindow, &escape);
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(theApp.mainWindow));
    SendMessageA(theApp.mainWindow, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(theApp.mainWindow));

    // Minimizing is closing: nothing may sit there with the timer stopped.
    const struct { const char* way; UINT message; WPARAM wParam; } ways[] = {
        {"close", WM_CLOSE, 0},
        {"minimize", WM_SYSCOMMAND, SC_MINIMIZE},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        check(IDC_LAN_MODE, !isChecked(IDC_LAN_MODE));
        SendMessageA(theApp.mainWindow, way.message, way.wParam, 0);
        EXPECT_FALSE(IsWindowVisible(theApp.mainWindow));
        EXPECT_TRUE(schedulerTimerRunning());
        SettingsRecord saved = {};
        ASSERT_TRUE(readSettings(iniPath, saved));
        EXPECT_EQ(isChecked(IDC_LAN_MODE), saved.lanMode == 1) << "saved";

        SendMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
        EXPECT_TRUE(IsWindowVisible(theApp.mainWindow));
        EXPECT_FALSE(IsIconic(theApp.mainWindow)) << "shown restored";
        EXPECT_FALSE(schedulerTimerRunning());
    }
    EXPECT_EQ(0, boxes.count()) << boxes.captions();
}

TEST_F(MainWindow, AFailedSaveIsReportedAndTheWindowStillCloses)
{
    startProgram();
    // A folder where the file should be: no program can write it.
    ASSERT_TRUE(CreateDirectoryA(iniPath.c_str(), NULL));
    SendMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
    check(IDC_LAN_MODE, true);
    closeWindow();
    RemoveDirectoryA(iniPath.c_str());

    ASSERT_EQ(1, boxes.count());
    EXPECT_EQ("SAVE ERROR!!", boxes.boxes()[0].caption);
    EXPECT_EQ(BoxIcon::error, boxes.boxes()[0].icon);
    EXPECT_EQ(theApp.mainWindow, boxes.boxes()[0].owner);
    EXPECT_FALSE(IsWindowVisible(theApp.mainWindow));
    EXPECT_TRUE(schedulerTimerRunning());
}
