// When rounds run: the dial-up monitor, the interval counter, the tray's
// requests and the round itself, with time driven by sent timer messages.
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "RasDoubleControl.h"
#include "checking/Scheduler.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <raserror.h>

#include <algorithm>
#include <iterator>
#include <thread>

using namespace testsettings;

class Scheduling : public AppFixture {
protected:
    // Accounts "one", "two", "three" on the fake server. The real timer is
    // stopped: only the messages a test sends move time on.
    void start(int accounts, int interval, bool lanMode = false, const char* password = "pw")
    {
        SettingsRecord stored = makeSettings(accounts, interval);
        stored.lanMode = lanMode;
        ASSERT_TRUE(writeSettings(iniPath, stored));
        const char* names[] = {"one", "two", "three"};
        for (int n = 1; n <= accounts; ++n)
            ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(names[n - 1], names[n - 1], password, server.address())));
        startProgram();
        KillTimer(theApp.mainWindow, kSchedulerTimer);
    }
    // Each waits for the end of the round it may start.
    static void send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        SendMessageA(theApp.mainWindow, message, wParam, lParam);
        ASSERT_TRUE(finishRound());
    }
    static void timer(int times = 1) { while (times-- > 0) send(WM_TIMER, 0, 0); }
    static void click() { send(WM_TRAYNOTIFY, 0, WM_LBUTTONUP); }
    static void checkNow() { send(WM_COMMAND, IDM_CHECK_NOW, 0); }
    // Looking stops it; the tests drive time themselves.
    static bool timerRuns() { return KillTimer(theApp.mainWindow, kSchedulerTimer) != 0; }
    // A fresh program for the next case of a table; the server stays.
    void restart() { TearDown(); SetUp(); ras.reset(); }

    RasDouble ras;
    FakePop3Server server;
};

TEST_F(Scheduling, DialupConnectedOnlyWhenAConnectionInTheBufferSaysSo)
{
    const struct {
        const char* name;
        int connections;
        DWORD state1, status1, enumResult;
        bool connected;
    } cases[] = {
        {"none", 0, RASCS_Connected, 0, 0, false},
        {"one connected", 1, RASCS_Connected, 0, 0, true},
        {"one still dialling", 1, RASCS_Authenticate, 0, 0, false},
        {"five fit", 5, RASCS_Connected, 0, 0, true},
        {"six do not", 6, RASCS_Connected, 0, 0, false},
        {"enumeration fails", 1, RASCS_Connected, 0, ERROR_CANNOT_OPEN_PHONEBOOK, false},
        {"first of two is down", 2, RASCS_Disconnected, 0, 0, true},
        {"first of two fails its status", 2, RASCS_Connected, ERROR_INVALID_HANDLE, 0, true},
        {"the only one fails its status", 1, RASCS_Connected, ERROR_INVALID_HANDLE, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ras.reset();
        ras.setConnections(c.connections);
        ras.setState(1, c.state1);
        ras.setStatusResult(1, c.status1);
        ras.setEnumResult(c.enumResult);
        EXPECT_EQ(c.connected, theApp.isDialupConnected());
    }
}

TEST_F(Scheduling, ConnectionUpRunsARoundAtOnceAndDownShowsOfflineWithoutTicking)
{
    start(1, 5);
    timer(2);
    EXPECT_EQ(0, server.connections());
    EXPECT_EQ(0, theApp.scheduler.elapsedSeconds()) << "offline without LAN mode counts nothing";

    // Each way of losing the connection: none left, six, the enumeration failing.
    const struct { int connections; DWORD enumResult; } downs[] = {{0, 0}, {6, 0}, {1, ERROR_CANNOT_OPEN_PHONEBOOK}};
    int rounds = 0;
    for (const auto& down : downs) {
        SCOPED_TRACE(down.connections);
        ras.reset();
        // One tick short of the interval, counted offline in LAN mode: must not matter.
        check(IDC_LAN_MODE, true);
        timer((297 - theApp.scheduler.elapsedSeconds()) / 3);
        ASSERT_EQ(297, theApp.scheduler.elapsedSeconds());
        check(IDC_LAN_MODE, false);
        ras.setConnections(1);
        timer();
        EXPECT_EQ(++rounds, server.connections()) << "a round at once";
        EXPECT_EQ(0, theApp.scheduler.elapsedSeconds()) << "and no tick after it";
        EXPECT_EQ(IDI_ONLINE, trayIconId());
        timer();
        EXPECT_EQ(3, theApp.scheduler.elapsedSeconds()) << "the counter starts again from 0";

        ras.setConnections(down.connections);
        ras.setEnumResult(down.enumResult);
        check(IDC_LAN_MODE, true);
        timer();
        EXPECT_EQ(IDI_OFFLINE, trayIconId());
        EXPECT_EQ("オフライン", trayTip());
        EXPECT_EQ(3, theApp.scheduler.elapsedSeconds()) << "no tick on going down, LAN mode or not";
        check(IDC_LAN_MODE, false);
        timer(3);
        EXPECT_EQ(3, theApp.scheduler.elapsedSeconds()) << "then it stands still";
        EXPECT_EQ(rounds, server.connections());
    }
}

TEST_F(Scheduling, TimedRoundsComeWhenTheCounterMeetsTheInterval)
{
    // messages: after the last round, up to the one that should start the next
    const struct { int interval; bool lanMode, connected; int messages; bool roundOnLast; } cases[] = {
        {5, false, true, 100, true},   // 300 s
        {1, true, false, 20, true},    // LAN mode counts without a connection
        {0, false, true, 200, false},  // 0 means never
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interval);
        start(1, c.interval, c.lanMode);
        ras.setConnections(c.connected ? 1 : 0);
        if (c.connected)
            timer();   // the round of the connection coming up
        int before = server.connections();
        timer(c.messages - 1);
        EXPECT_EQ(before, server.connections());
        EXPECT_EQ((c.messages - 1) * 3, theApp.scheduler.elapsedSeconds());
        EXPECT_EQ(c.connected ? IDI_ONLINE : IDI_OFFLINE, trayIconId()) << "LAN mode alone leaves the icon";
        timer();
        EXPECT_EQ(before + (c.roundOnLast ? 1 : 0), server.connections());
        EXPECT_EQ(c.roundOnLast ? 0 : c.messages * 3, theApp.scheduler.elapsedSeconds());
        restart();
    }
}

TEST_F(Scheduling, AnIntervalLoweredBelowTheCountWaitsForAClick)
{
    start(1, 30);
    ras.setConnections(1);
    timer(201);   // the round of the connection coming up, then 10 minutes
    SetDlgItemInt(theApp.mainWindow, IDC_INTERVAL, 5, TRUE);
    timer(200);
    EXPECT_EQ(1, server.connections());
    EXPECT_EQ(1200, theApp.scheduler.elapsedSeconds());

    click();
    EXPECT_EQ(2, server.connections());
    timer(99);
    EXPECT_EQ(2, server.connections());
    timer();
    EXPECT_EQ(3, server.connections()) << "from the click on, 5 minutes apply";
}

TEST_F(Scheduling, ClickAndCheckNowRunARoundOnlyWhenConnectedOrInLanMode)
{
    const struct { bool connected, lanMode, round; } cases[] = {
        {false, false, false}, {true, false, true}, {false, true, true}};
    for (const auto& c : cases) {
        for (void (*request)() : {click, checkNow}) {
            SCOPED_TRACE(testing::Message() << c.connected << c.lanMode << (request == click));
            start(1, 5, true);
            timer(14);   // 42 s counted offline in LAN mode
            check(IDC_LAN_MODE, c.lanMode);
            ras.setConnections(c.connected ? 1 : 0);
            int before = server.connections();
            request();
            EXPECT_EQ(before + (c.round ? 1 : 0), server.connections());
            EXPECT_EQ(c.round ? IDI_ONLINE : IDI_OFFLINE, trayIconId());
            EXPECT_EQ(c.round ? 0 : 42, theApp.scheduler.elapsedSeconds());
            EXPECT_EQ(1, theApp.offline()) << "a click leaves the monitor's state alone";
            restart();
        }
    }
    EXPECT_EQ(0, boxes.count());
}

TEST_F(Scheduling, ARoundShowsCheckingStopsTheTimerAndStartsItAgainUnlessTheWindowWasShown)
{
    // Accounts 1 and 3 are refused before contact (line break in the
    // password), so their boxes show the icon as the round left it.
    start(3, 5, true, "p\r\nw");
    ASSERT_TRUE(writeAccount(iniPath, 2, makeAccount("two", "two", "pw", server.address())));
    server.on("STAT", pop3Reply("+OK 3 512\r\n"));
    check(IDC_REPORT_PER_USER, true);
    std::vector<std::string> seen;
    boxes.whileShown([&](const SeenBox& box) {
        seen.push_back(std::to_string(trayIconId()) + trayTip() + std::to_string(theApp.round.checking()) +
                       (timerRuns() ? " timer" : ""));
        if (box.caption == "メールの受信報告") {
            PostMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
            PostMessageA(theApp.mainWindow, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
            PostMessageA(theApp.mainWindow, WM_COMMAND, IDM_CHECK_NOW, 0);
        }
    });
    click();

    EXPECT_EQ("ACCOUNT DATA ERROR!! | メールの受信報告 | ACCOUNT DATA ERROR!!", boxes.captions());
    EXPECT_EQ((std::vector<std::string>{"104チェック中1", "105メール受信1", "104チェック中1"}), seen);
    EXPECT_EQ(1, server.connections()) << "the clicks during the round were dropped";
    EXPECT_EQ(IDI_ONLINE, trayIconId());
    EXPECT_EQ("オンライン", trayTip());
    EXPECT_EQ(0, theApp.round.checking());
    EXPECT_TRUE(IsWindowVisible(theApp.mainWindow));
    EXPECT_FALSE(timerRuns()) << "no timed round while the settings window is open";
    SendMessageW(theApp.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(timerRuns()) << "closing it starts the timer again";
}

TEST_F(Scheduling, AProbeAnsweringOneEndsTheRoundAndTheCountIsReadBeforeEachProbe)
{
    // deletedAtFirstBox: the account deleted while the first report box is up (0: none)
    const struct { bool perUser; int deletedAtFirstBox; std::vector<std::string> contacted; } cases[] = {
        {false, 0, {"USER one"}},
        {true, 0, {"USER one", "USER two", "USER three"}},
        {true, 3, {"USER one", "USER two"}},
    };
    server.on("STAT", pop3Reply("+OK 3 512\r\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contacted.size());
        start(3, 5, true);
        check(IDC_REPORT_PER_USER, c.perUser);
        bool first = true;
        boxes.whileShown([&](const SeenBox&) {
            if (c.deletedAtFirstBox && first)
                theApp.store.deleteAccount(c.deletedAtFirstBox);
            first = false;
        });
        size_t mark = server.commands().size();
        int seenBoxes = boxes.count();
        checkNow();
        std::vector<std::string> users, all = server.commands();
        std::copy_if(all.begin() + mark, all.end(), std::back_inserter(users),
                     [](const std::string& line) { return line.compare(0, 5, "USER ") == 0; });
        EXPECT_EQ(c.contacted, users);
        EXPECT_EQ(static_cast<int>(users.size()), boxes.count() - seenBoxes);
        EXPECT_EQ(IDI_ONLINE, trayIconId());
        restart();
    }
}

// Clicks and "巡回" while a round waits on a slow server are taken at once,
// and start no round, then or after it.
TEST_F(Scheduling, RequestsDuringARoundStartNoRoundThenOrAfterIt)
{
    Pop3Step slowGreeting = pop3DefaultStep("");
    slowGreeting.delayMs = 1500;
    server.greeting(slowGreeting);
    start(1, 5, true);
    HWND window = theApp.mainWindow;
    std::thread impatient([window] {
        Sleep(500);
        for (int i = 0; i < 3; ++i)
            PostMessageA(window, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        PostMessageA(window, WM_COMMAND, IDM_CHECK_NOW, 0);
    });
    click();
    impatient.join();
    pumpMessages();
    EXPECT_EQ(1, server.connections());
    EXPECT_EQ(0, theApp.round.checking());

    click();
    EXPECT_EQ(2, server.connections()) << "a click after the round works as before";
}

// While a round waits on the server, closing the settings window leaves the
// timer stopped; the round's end starts it. A tick meanwhile could show
// "オフライン" under the round, or use up a connection coming up. Such a
// connection (start-up's tick comes during the LAN round) gets its round
// when the round under way ends.
TEST_F(Scheduling, DuringARoundTheTimerWaitsForItsEndAndAConnectionComingUpGetsTheNextRound)
{
    Pop3Step slowGreeting = pop3DefaultStep("");
    slowGreeting.delayMs = 1000;
    server.greeting(slowGreeting);
    start(1, 5, true);
    theApp.round.start();
    SendMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
    SendMessageA(theApp.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(timerRuns()) << "not while the round runs";
    ras.setConnections(1);
    SendMessageA(theApp.mainWindow, WM_TIMER, 0, 0);
    EXPECT_EQ(IDI_CHECKING, trayIconId());

    ASSERT_TRUE(finishRound());
    EXPECT_TRUE(timerRuns()) << "the round's end starts it";
    pumpMessages();
    EXPECT_EQ(1, theApp.round.checking()) << "the connection's round";
    ASSERT_TRUE(finishRound());
    EXPECT_EQ(2, server.connections());
}

// The word of a probe's end can be lost: a full message queue refuses the
// post. Taken off the queue here, it must not leave the round running
// for ever, the icon on "チェック中" and no round to come.
TEST_F(Scheduling, ARoundEndsWhenTheWordOfAProbesEndIsLost)
{
    server.on("STAT", pop3Reply("+OK 3 512\r\n"));
    start(1, 5, true);
    theApp.round.start();
    ASSERT_TRUE(server.waitForClientClose(5000));
    MSG lost = {};
    for (DWORD start = GetTickCount();
         !PeekMessageW(&lost, theApp.mainWindow, WM_PROBE_ENDED, WM_PROBE_ENDED, PM_REMOVE);) {
        ASSERT_LT(GetTickCount() - start, 5000u) << "the worker never posted";
        Sleep(10);
    }
    EXPECT_TRUE(finishRound(5000));
    EXPECT_EQ("メールの受信報告", boxes.captions());
    EXPECT_EQ(IDI_ONLINE, trayIconId());
}
