// Rounds of the real program: the one LAN mode runs at start-up, and the one
// a dial-up connection coming up starts where a click has nothing to do.
#include "AppDriver.h"
#include "FakePop3Server.h"
#include "RasDoubleControl.h"
#include "TestSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace testsettings;

namespace {

const UINT kTrayNotify = WM_APP + 100;   // the tray icon's callback message

void storeOneAccount(const AppDriver& app, const FakePop3Server& server, bool lanMode)
{
    SettingsRecord stored = makeSettings(1, 0);
    stored.lanMode = lanMode;
    ASSERT_TRUE(writeSettings(app.iniPath(), stored));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("仕事", "work", "pw", server.address())));
}

}  // namespace

TEST(SchedulerSystem, LanModeChecksOnceBeforeTheLoopAndRunsOn)
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 2 100\r\n"));
    AppDriver app;
    storeOneAccount(app, server, true);
    ASSERT_TRUE(app.start());
    EXPECT_EQ("仕事 に 2通メールが届いています。", app.answerBox(IDOK).text);
    ASSERT_TRUE(app.sync());
    EXPECT_EQ(1, server.connections());

    // Running on in LAN mode: a click checks again, and nothing has changed.
    // The conversation runs beside the window, so the server is asked.
    app.post(kTrayNotify, 0, WM_LBUTTONUP);
    EXPECT_TRUE(server.waitForConnections(2, 5000));
    EXPECT_TRUE(app.noBoxWithin(300));
    EXPECT_TRUE(app.isRunning());
}

TEST(SchedulerSystem, AClickWithoutConnectionDoesNothingAndAConnectionComingUpStartsARound)
{
    FakePop3Server server;
    AppDriver app;
    RasDouble ras(app.folder());
    storeOneAccount(app, server, false);
    ASSERT_TRUE(app.start());
    EXPECT_LE(1u, ras.enumCalls()) << "start-up looked once before the loop";
    app.post(kTrayNotify, 0, WM_LBUTTONUP);
    app.command(IDM_CHECK_NOW);
    ASSERT_TRUE(app.sync());
    EXPECT_TRUE(app.noBoxWithin(300));
    EXPECT_EQ(0, server.connections());

    ras.setConnections(1);
    auto timer = app.sendInBackground(WM_TIMER);
    ASSERT_TRUE(timer->wait(10000));
    EXPECT_TRUE(server.waitForConnections(1, 5000));
}

// "終了" while a round's report box is up: no account after the current one
// is contacted, the box goes, and the program is gone at once. (During a
// conversation: StalledRoundSystemTest.)
TEST(SchedulerSystem, ExitWhileAReportIsUpContactsNoFurtherAccountAndEndsAtOnce)
{
    FakePop3Server first, second;
    first.on("STAT", pop3Reply("+OK 2 100\r\n"));
    AppDriver app;
    SettingsRecord stored = makeSettings(2, 0);
    stored.lanMode = stored.reportPerUser = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), stored));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("一", "a", "pw", first.address())));
    ASSERT_TRUE(writeAccount(app.iniPath(), 2, makeAccount("二", "b", "pw", second.address())));
    ASSERT_TRUE(app.start());
    ASSERT_NE(nullptr, app.waitForWindow("メールの受信報告"));

    DWORD start = GetTickCount();
    app.command(IDM_EXIT);
    app.answerBox(IDOK, 1000);   // should the box outlive the quit
    EXPECT_EQ(0u, app.waitForExit(5000));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(app.trayIconPresent());
    EXPECT_EQ(0, second.connections());
    EXPECT_TRUE(first.waitForClientClose(1000));
    EXPECT_EQ("USER a\r\nPASS pw\r\nSTAT\r\nQUIT\r\n", first.received());
}
