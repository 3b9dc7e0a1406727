// The real program from outside: one copy at a time, its tray icon from
// start to exit, and the settings file it writes when its window closes.
#include "AppDriver.h"
#include "HostShell.h"
#include "TestSettings.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <shellapi.h>

using namespace testsettings;

TEST(Startup, StartsHiddenInTheTrayAndEndsFromTheMenuWithoutAnIcon)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    EXPECT_FALSE(IsWindowVisible(app.window()));
    EXPECT_TRUE(GetWindowLongA(app.window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(app.trayIconPresent());
    EXPECT_FALSE(fileExists(app.iniPath())) << "nothing is written at start-up";

    HWND window = app.window();
    app.command(IDM_EXIT);
    EXPECT_EQ(0u, app.waitForExit(10000));
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "no icon is left behind";
    EXPECT_FALSE(fileExists(app.iniPath())) << "nothing is written at exit";
}

TEST(Startup, ASecondCopyIsRefusedWithItsBoxAndTheFirstRunsOn)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    HANDLE second = app.startSecondCopy();
    ASSERT_NE(nullptr, second);

    // The refusal comes from the second process; look for it there.
    DWORD start = GetTickCount();
    HWND box = NULL;
    while (!box && GetTickCount() - start < 15000) {
        box = FindWindowA("#32770", "Quillora");
        if (!box)
            Sleep(20);
    }
    ASSERT_NE(nullptr, box);
    SeenBox seen = describeBox(box);
    EXPECT_EQ("すでに起動しています。", seen.text);
    EXPECT_EQ(nullptr, seen.owner);
    EXPECT_FALSE(seen.hasYesNo);
    DWORD boxProcess = 0;
    GetWindowThreadProcessId(box, &boxProcess);
    EXPECT_EQ(GetProcessId(second), boxProcess);

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 10000));
    DWORD code = 1;
    GetExitCodeProcess(second, &code);
    CloseHandle(second);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(app.isRunning());
    EXPECT_TRUE(app.trayIconPresent());
}

TEST(Startup, ClosingTheWindowWritesTheSettingsFileByteForByte)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    app.command(IDM_SHOW_WINDOW);
    ASSERT_TRUE(app.sync());
    ASSERT_TRUE(IsWindowVisible(app.window()));
    app.click(app.window(), IDC_REPORT_ON_TOP);
    ASSERT_TRUE(app.sync());
    app.post(WM_CLOSE);
    ASSERT_TRUE(app.sync());
    EXPECT_FALSE(IsWindowVisible(app.window()));

    EXPECT_EQ("[KORVELLIN-Quillora]\r\nQXDATA=0100000000000000000000000000000001\r\n", fileText(app.iniPath()));
}

TEST(Startup, OptionsAndAccountsAreAsTheyWereAfterARestart)
{
    AppDriver app;
    SettingsRecord stored = makeSettings(2, 15);
    stored.reportUnread = 1;
    stored.endRoundOnLaunch = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), stored));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("仕事", "work", "pw", "127.0.0.9")));
    ASSERT_TRUE(writeAccount(app.iniPath(), 2, makeAccount("自宅", "home", "pw", "127.0.0.9")));
    ASSERT_TRUE(app.start());

    EXPECT_TRUE(app.isChecked(app.window(), IDC_REPORT_UNREAD));
    EXPECT_TRUE(app.isChecked(app.window(), IDC_END_ROUND_ON_LAUNCH));
    EXPECT_FALSE(app.isChecked(app.window(), IDC_LAN_MODE));
    EXPECT_EQ("15", app.itemText(app.window(), IDC_INTERVAL));
    EXPECT_EQ((std::vector<std::string>{"仕事", "自宅"}), app.listLines());
}

TEST(Startup, AProgramPathTooLongForItsBufferIsReportedAndTheProgramEnds)
{
    AppDriver app;   // for its copy of the program
    const std::string base = unixPathOf(testProgramFolder());
    if (base.empty())
        GTEST_SKIP() << "needs Wine's access to the host";
    // Windows calls can neither make nor start a path this long; the host's
    // shell and wine can.
    const std::string root = base + "/long-path";
    std::string folder = root;
    while (folder.size() < 300)
        folder += "/" + std::string(40, 'x');
    ASSERT_EQ(0, runOnHost({"sh", "-c", "mkdir -p \"$0\" && cp \"$1\" \"$0/\"", folder, unixPathOf(app.programPath())}));
    ASSERT_EQ(0, runOnHost({"wine", folder + "/Quillora.exe"}, false));

    HWND box = NULL;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 15000; Sleep(20))
        box = FindWindowA("#32770", "PATH ERROR!!");
    if (!box) {
        // It runs on with some other settings file: end it, or the next
        // tests would find it running.
        DWORD stray = 0;
        GetWindowThreadProcessId(FindWindowA("#32770", "Quillora V2.10"), &stray);
        HANDLE process = stray ? OpenProcess(PROCESS_TERMINATE, FALSE, stray) : NULL;
        if (process)
            TerminateProcess(process, 1), CloseHandle(process);
        runOnHost({"rm", "-rf", root});
        FAIL() << "no PATH ERROR!! box";
    }
    SeenBox seen = describeBox(box);
    EXPECT_EQ("プログラムの置き場所のパスが長すぎるため、設定ファイルを開けません。\n"
              "もっと短いパスのフォルダに移してから起動してください。", seen.text);
    EXPECT_EQ(nullptr, seen.owner);
    DWORD processId = 0;
    GetWindowThreadProcessId(box, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    ASSERT_NE(nullptr, process);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    EXPECT_EQ(0u, code);
    // Nothing but the program itself in the tree: no other settings file.
    EXPECT_EQ(0, runOnHost({"sh", "-c", "test \"$(find \"$0\" -type f | wc -l)\" = 1", root}));
    runOnHost({"rm", "-rf", root});
}
