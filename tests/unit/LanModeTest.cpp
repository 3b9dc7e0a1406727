// LAN mode on a laptop: the tests' adapter a0 taken down and up again, a
// wake told by a power message or seen as a late tick. Ticks are sent, on a
// clock of the test's; the wait between the network's return and its round
// is the program's own timer. The tip is read from the shell.
#include "AppDriver.h"
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "ShellTray.h"
#include "TestLan.h"
#include "checking/Scheduler.h"
#include "resources/resource.h"

namespace {

uint64_t testNow;
uint64_t testClock() { return testNow; }

}  // namespace

class LanMode : public AppFixture {
protected:
    // LAN mode, the interval 1 minute; account 1 on a server of this machine
    // counts the rounds.
    void start(std::vector<const char*> servers)
    {
        SettingsRecord stored = testsettings::makeSettings(static_cast<int>(servers.size()) + 1, 1);
        stored.lanMode = 1;
        ASSERT_TRUE(testsettings::writeSettings(iniPath, stored));
        servers.insert(servers.begin(), counter.address());
        for (size_t n = 1; n <= servers.size(); ++n)
            ASSERT_TRUE(testsettings::writeAccount(iniPath, static_cast<int>(n),
                                                   testsettings::makeAccount("u", "u", "pw", servers[n - 1])));
        startProgram();
        KillTimer(theApp.mainWindow, kSchedulerTimer);
        countedFrom = counter.connections();
        testNow = 1000000;
        theApp.lan.setClock(testClock);
        tick();
    }
    void TearDown() override
    {
        EXPECT_TRUE(restoreLan());
        AppFixture::TearDown();
    }
    static void tick(uint64_t afterMs = 3000)
    {
        testNow += afterMs;
        SendMessageA(theApp.mainWindow, WM_TIMER, kSchedulerTimer, 0);
        ASSERT_TRUE(finishRound());
        KillTimer(theApp.mainWindow, kSchedulerTimer);   // a round's end starts it
    }
    // The rounds since start() once the program's own timers have had their time.
    int roundsWithin(DWORD ms)
    {
        waitUntil(ms, [] { pumpMessages(); return theApp.round.checking() != 0; });
        EXPECT_TRUE(finishRound());
        KillTimer(theApp.mainWindow, kSchedulerTimer);
        return counter.connections() - countedFrom;
    }
    // The first count accounts in the rounds from now on, as the file counts them.
    void useAccounts(int count)
    {
        SettingsRecord stored = testsettings::makeSettings(count, 1);
        stored.lanMode = 1;
        ASSERT_TRUE(testsettings::writeSettings(iniPath, stored));
        ProfileText text;
        FileNotes notes;
        ASSERT_TRUE(theApp.store.readFile(text, notes));
    }
    std::wstring shellTip()
    {
        ShellTrayIcon shell(theApp.mainWindow, 1, WM_TRAYNOTIFY);
        return shell.shown() ? shell.tip() : L"(no icon)";
    }

    FakePop3Server counter;
    int countedFrom = 0;
};

TEST_F(LanMode, OffTheNetworkItsFailuresShowNoBoxButThisMachinesServerKeepsItsBox)
{
    FakePop3Server stalled;
    ASSERT_TRUE(stalled.stopAccepting());
    start({"10.123.0.2", "nowhere.quillora.test", stalled.address()});
    useAccounts(1);
    runRound();
    ASSERT_EQ(L"オンライン", shellTip());
    // The second machine leaves out this machine's stalled server, which
    // holds the round for the connect's 20 s: once is enough.
    const struct {
        const char* name;
        std::vector<std::vector<std::string>> commands;
        bool up;
    } machines[] = {
        {"a0 down", {{"ip", "link", "set", "a0", "down"}}, false},
        {"a0 up with a link-local address only",
         {{"ip", "addr", "flush", "dev", "a0"}, {"ip", "addr", "add", "169.254.7.1/16", "dev", "a0"},
          {"ip", "link", "set", "a0", "up"}}, true},
    };
    for (const auto& machine : machines) {
        SCOPED_TRACE(machine.name);
        ASSERT_TRUE(changeLan(machine.commands, machine.up));
        tick();
        EXPECT_EQ(L"オフライン", shellTip());
        useAccounts(machine.up ? 3 : 4);
        runRound();
        EXPECT_EQ("TIMEOUT ERROR!!", boxes.captions()) << "no other box, in either round";
        EXPECT_EQ(L"オフライン", shellTip()) << "after the round too";
    }
}

TEST_F(LanMode, BackOnTheNetworkARoundWithinFiveSecondsAndOneMoreTryForWhatFailed)
{
    start({"nowhere.quillora.test"});
    ASSERT_TRUE(setLan(false));
    tick();
    ASSERT_TRUE(setLan(true));
    tick();
    EXPECT_EQ(1, roundsWithin(5000));
    EXPECT_EQ(0, boxes.count()) << "the name that failed is tried once more first";
    tick(24000);
    EXPECT_EQ(0, boxes.count());
    tick(3000);
    EXPECT_EQ("SERVERDATA ERROR!!", boxes.captions()) << "its second failure shows";
    EXPECT_EQ(1, counter.connections()) << "only the account that failed was tried again";
}

TEST_F(LanMode, AWakeOwesOneRoundHoweverItIsTold)
{
    const struct { const char* name; WPARAM message; uint64_t tickAfterMs; int rounds; } wakes[] = {
        {"PBT_APMRESUMEAUTOMATIC", PBT_APMRESUMEAUTOMATIC, 3000, 1},
        {"PBT_APMRESUMESUSPEND", PBT_APMRESUMESUSPEND, 3000, 1},
        {"a tick 61 s late", 0, 61000, 1},
        {"a tick 59 s late is no wake", 0, 59000, 0},
        {"two hours asleep, the interval 1 minute: one round", 0, 7200000, 1},
    };
    for (const auto& wake : wakes) {
        SCOPED_TRACE(wake.name);
        start({});
        if (wake.message)
            PostMessageA(theApp.mainWindow, WM_POWERBROADCAST, wake.message, 0);
        tick(wake.tickAfterMs);
        EXPECT_EQ(wake.rounds, roundsWithin(5000));
        // The other message of the pair, or the one after a late tick, is the same wake.
        if (wake.rounds)
            PostMessageA(theApp.mainWindow, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        for (int i = 0; i < 17; ++i)
            tick();
        EXPECT_EQ(wake.rounds, roundsWithin(3000)) << "and no more within the minute";
        TearDown();
        SetUp();
    }
}
