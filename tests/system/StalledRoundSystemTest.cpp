// A round that waits on a server which does not answer, seen from outside:
// the program goes on answering its window's messages, "終了" and the end of
// the session end it at once without another word to the server, and what
// the user registers meanwhile changes nothing the round sends or reports.
#include "AccountDialogSteps.h"
#include "FakePop3Server.h"
#include "HostShell.h"
#include "SilentNameServer.h"
#include "TestSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

using namespace testsettings;

namespace {

const DWORD kAnswerGoalMs = 100;
const DWORD kExitGoalMs = 1000;
const UINT kTrayNotify = WM_APP + 100;

void storeAccount(const AppDriver& app, const std::string& server, bool lanMode, const char* userName = "仕事",
                  const char* login = "a")
{
    SettingsRecord stored = makeSettings(1, 0);
    stored.lanMode = lanMode;
    stored.reportUnread = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), stored));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount(userName, login, "b", server.c_str())));
}

// The longest the main window took to answer, over a second of tries.
DWORD longestAnswerMs(HWND window)
{
    DWORD longest = 0;
    for (int i = 0; i < 10; ++i, Sleep(100)) {
        DWORD start = GetTickCount();
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer))
            return 5000;
        longest = std::max(longest, GetTickCount() - start);
    }
    return longest;
}

enum class Stall { lookup, connect, greeting, tlsHandshake, stat };

// Connections of this network still waiting for an answer to their SYN to
// 127.0.0.170:110, as the kernel lists them (state 02, SYN_SENT).
int connectsWaitingOnTheServer()
{
    return runOnHost({"sh", "-c", "exit $(grep -c ' AA00007F:006E 02 ' /proc/net/tcp)"});
}

// Logging off or shutting down: the question is answered at once, and the
// end saves what the open settings window shows, here "最前列に受信報告" just
// checked.
void endSession(AppDriver& app)
{
    app.command(IDM_SHOW_WINDOW);
    app.click(app.window(), IDC_REPORT_ON_TOP);
    ASSERT_TRUE(app.sync());
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kAnswerGoalMs, &answer));
    EXPECT_EQ(TRUE, static_cast<BOOL>(answer)) << "the session may end";
    ASSERT_TRUE(SendMessageTimeoutW(app.window(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, kExitGoalMs, &answer));
    // On top now, every round reported, LAN mode, no interval, one account.
    EXPECT_EQ("0101000100000000000000000100000004", rawValue(app.iniPath(), "KORVELLIN-Quillora", "QXDATA"));
}

}  // namespace

// At every step a conversation can stall at, the window answers, and "終了"
// (or the end of the session) ends the program at once: the connection is
// closed, nothing more is sent, the icon goes.
TEST(StalledRound, TheWindowAnswersAndTheEndComesAtOnceWithNothingMoreSent)
{
    const struct {
        const char* name;
        Stall stall;
        const char* sentBefore;   // what the server has when the program ends; nullptr: no connection
        bool sessionEnds;         // rather than "終了"
    } rows[] = {
        {"the name lookup", Stall::lookup, nullptr, false},
        {"the connect", Stall::connect, nullptr, false},
        {"the greeting", Stall::greeting, "", true},
        {"the TLS handshake", Stall::tlsHandshake, "\x16\x03", false},   // the client's hello, a handshake record
        {"the reply to STAT", Stall::stat, "USER a\r\nPASS b\r\nSTAT\r\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SilentNameServer nameServer;
        const bool tls = row.stall == Stall::tlsHandshake;
        FakePop3Server server("127.0.0.170", tls ? 995 : 110);
        ASSERT_TRUE(server.listening());
        std::string field = std::string(server.address()) + (tls ? ":995" : "");
        std::function<bool()> stalled = [&] {
            return server.connections() == 1 && server.received().size() >= strlen(row.sentBefore);
        };
        switch (row.stall) {
        case Stall::lookup:
            ASSERT_TRUE(nameServer.listening());
            field = "stalled-lookup.quillora.test";
            stalled = [&] { return nameServer.asked(); };
            break;
        case Stall::connect: {
            // The server fills its own queue: one of its own connections waits too.
            ASSERT_TRUE(server.stopAccepting());
            const int ownWaiting = connectsWaitingOnTheServer();
            stalled = [ownWaiting] { return connectsWaitingOnTheServer() > ownWaiting; };
            break;
        }
        case Stall::greeting:
        case Stall::tlsHandshake:
            server.greeting(pop3Silent());
            break;
        case Stall::stat:
            server.on("STAT", pop3Silent());
            break;
        }
        AppDriver app;
        storeAccount(app, field, true);
        ASSERT_TRUE(app.start());
        ASSERT_TRUE(waitUntil(10000, stalled));

        EXPECT_LT(longestAnswerMs(app.window()), kAnswerGoalMs);
        const std::string sent = server.received();
        DWORD start = GetTickCount();
        if (row.sessionEnds)
            endSession(app);
        else
            app.command(IDM_EXIT);
        EXPECT_EQ(0u, app.waitForExit(kExitGoalMs));
        EXPECT_LT(GetTickCount() - start, kExitGoalMs);
        EXPECT_FALSE(app.trayIconPresent());
        if (row.sentBefore) {
            EXPECT_EQ(0u, sent.find(row.sentBefore));
            EXPECT_TRUE(server.waitForClientClose(1000)) << "the connection is closed";
            EXPECT_EQ(sent, server.received()) << "and nothing more was sent";
        }
    }
}

// An account edited and registered while its own conversation waits: the
// conversation goes on with what it started with, and the report names the
// account as it was then.
TEST(StalledRound, RegisteringMeanwhileChangesNothingTheRoundSendsOrReports)
{
    FakePop3Server server;
    Pop3Step slowGreeting = pop3DefaultStep("");
    slowGreeting.delayMs = 3000;
    server.greeting(slowGreeting);
    server.on("STAT", pop3Reply("+OK 2 200\r\n"));
    AppDriver app;
    storeAccount(app, server.address(), false, "前の名前", "before");
    ASSERT_TRUE(app.start());
    HWND dialog = openDialog(app, 0);
    SendDlgItemMessageA(app.window(), IDC_LAN_MODE, BM_SETCHECK, BST_CHECKED, 0);
    app.post(kTrayNotify, 0, WM_LBUTTONUP);
    ASSERT_TRUE(server.waitForConnections(1, 5000));

    app.setItemText(dialog, IDC_USER_NAME, "新しい名前");
    app.setItemText(dialog, IDC_ACCOUNT_NAME, "after");
    expectBox(pressRegister(app, dialog), "INPUT DATA!!", "登録しました！！", dialog, BoxIcon::warning);
    AccountRecord stored = {};
    ASSERT_TRUE(readAccount(app.iniPath(), 1, stored));
    EXPECT_STREQ("after", stored.account);
    EXPECT_EQ("前の名前 に 2通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_TRUE(server.waitForClientClose(2000));
    EXPECT_EQ("USER before\r\nPASS b\r\nSTAT\r\nQUIT\r\n", server.received());
}
