// What a STAT reply makes of a round: which replies are news, the report box
// and the tray while it is up, the mail program, and when the round ends.
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "checking/Scheduler.h"
#include "resources/resource.h"

using namespace testsettings;

namespace {

std::string reportText(const char* user, int count)
{
    return user + std::string(" に ") + std::to_string(count) + "通メールが届いています。";
}

SettingsRecord options(bool perUser, bool unread = false, bool onTop = false)
{
    SettingsRecord settings = makeSettings();
    settings.reportPerUser = perUser;
    settings.reportUnread = unread;
    settings.reportOnTop = onTop;
    return settings;
}

class Report : public AppFixture {
protected:
    // Stores the settings and these accounts (numbered from 1) and starts.
    void start(SettingsRecord settings, const std::vector<AccountRecord>& accounts)
    {
        settings.accountCount = static_cast<int32_t>(accounts.size());
        ASSERT_TRUE(writeSettings(iniPath, settings));
        for (size_t i = 0; i < accounts.size(); ++i)
            restore(static_cast<int>(i + 1), accounts[i]);
        startProgram();
    }
    void restore(int n, const AccountRecord& account) { ASSERT_TRUE(writeAccount(iniPath, n, account)); }

    // Runs one round; answers the texts (or captions) of its boxes, joined with " | ".
    std::string round(std::string SeenBox::*field = &SeenBox::text)
    {
        size_t first = boxes.boxes().size();
        runRound();
        std::string joined;
        for (size_t i = first; i < boxes.boxes().size(); ++i)
            joined += (i == first ? "" : " | ") + boxes.boxes()[i].*field;
        return joined;
    }

    BoxStyleRecorder styles;
};

}  // namespace

TEST_F(Report, OnlyChangesAreNewsUnlessEveryRoundIsAsked)
{
    const std::string head = "+OK 5 1000 " + std::string(20, 'a');   // the 31 bytes compared
    const struct {
        bool unread;
        std::vector<std::string> replies;   // one per round
        std::vector<int> reported;          // the count each round reports, 0 for none
    } cases[] = {
        {false, {"+OK 2 100\r\n", "+OK 2 100\r\n", "+OK 3 150\r\n", "+OK 0 0\r\n", "+OK 3 150\r\n"}, {2, 0, 3, 0, 3}},
        {true, {"+OK 2 100\r\n", "+OK 2 100\r\n"}, {2, 2}},
        {false, {head + "X\r\n", head + "Y\r\n", head.substr(0, 30) + "bY\r\n"}, {5, 0, 5}},
    };
    for (const auto& c : cases) {
        FakePop3Server server;
        std::vector<Pop3Step> steps;
        for (const std::string& reply : c.replies)
            steps.push_back(pop3Reply(reply.c_str()));
        server.on("STAT", steps);
        start(options(true, c.unread), {makeAccount("user", "a", "b", server.address())});
        for (size_t i = 0; i < c.replies.size(); ++i)
            EXPECT_EQ(c.reported[i] ? reportText("user", c.reported[i]) : "", round()) << c.replies[i];
        resetApplicationObject();
    }
}

TEST_F(Report, ThePerUserChoiceComesFromTheBoxOrTheStoredSetting)
{
    const struct {
        const char* reply;
        bool boxChecked;   // 1005 as shown
        uint8_t stored;    // reportPerUser as stored
        int reported;      // the first account's count, 0 for none
        bool goesOn;       // the second account is contacted
    } cases[] = {
        {"+OK 1 10\r\n", false, 1, 1, false},
        {"+OK 1 10\r\n", true, 0, 1, true},
        {"+OK you have 4 messages\r\n", true, 0, 4, false},
        {"+OK you have 4 messages\r\n", false, 1, 4, true},
        {"+OK you have 0 messages\r\n", false, 0, 0, true},
        {"+OK 0 0\r\n", false, 0, 0, true},
    };
    start(options(false, true), {makeAccount("first", "a", "b", ""), makeAccount("second", "a", "b", "")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        FakePop3Server first, second;
        first.on("STAT", pop3Reply(c.reply));
        second.on("STAT", pop3Reply("+OK 2 20\r\n"));
        restore(1, makeAccount("first", "a", "b", first.address()));
        restore(2, makeAccount("second", "a", "b", second.address()));
        check(IDC_REPORT_PER_USER, c.boxChecked);
        SettingsRecord stored = theApp.store.settings();
        stored.reportPerUser = c.stored;
        ASSERT_TRUE(theApp.store.saveOptions(stored));

        std::string expected = c.reported ? reportText("first", c.reported) : "";
        if (c.goesOn)
            expected += (expected.empty() ? "" : " | ") + reportText("second", 2);
        EXPECT_EQ(expected, round());
        EXPECT_EQ(c.goesOn ? 1 : 0, second.connections());
    }
}

TEST_F(Report, TheBoxFollowsItsOptionsAndTheTrayShowsMailWhileItIsUp)
{
    using Tray = std::pair<int, std::string>;
    std::vector<Tray> trayAtBox;
    boxes.whileShown([&](const SeenBox&) { trayAtBox.emplace_back(trayIconId(), trayTip()); });
    for (bool onTop : {false, true}) {
        for (bool launch : {false, true}) {
            SCOPED_TRACE(std::string(onTop ? "on top" : "not on top") + (launch ? ", launch" : ""));
            FakePop3Server mail, refusing;   // the refusal shows the tray after the report
            mail.on("STAT", pop3Reply("+OK 2 100\r\n"));
            refusing.on("PASS", pop3Reply("-ERR\r\n"));
            start(options(true, false, onTop), {makeAccount("仕事", "a", "b", mail.address(), "C:\\mail.exe", launch),
                                                makeAccount("自宅", "a", "b", refusing.address())});
            trayAtBox.clear();
            size_t first = boxes.boxes().size();
            runRound();

            ASSERT_EQ(first + 2, boxes.boxes().size()) << boxes.captions();
            const SeenBox& box = boxes.boxes()[first];
            EXPECT_EQ("メールの受信報告", box.caption);
            EXPECT_EQ(reportText("仕事", 2) + (launch ? "\nメールソフトを起動しますか？" : ""), box.text);
            EXPECT_EQ(nullptr, box.owner);
            EXPECT_EQ(launch, box.hasYesNo);
            UINT style = styles.styles().at(first);
            EXPECT_EQ(onTop, (style & MB_TOPMOST) != 0);
            UINT icon = launch ? MB_ICONQUESTION : onTop ? 0u : MB_ICONINFORMATION;
            EXPECT_EQ(icon | (launch ? MB_DEFBUTTON2 : 0u), style & (MB_ICONMASK | MB_DEFMASK));
            EXPECT_EQ(launch ? BoxIcon::question : onTop ? BoxIcon::none : BoxIcon::information, box.icon);
            EXPECT_EQ((std::vector<Tray>{{IDI_MAIL_ARRIVED, "メール受信"}, {IDI_CHECKING, "チェック中"}}), trayAtBox);
            EXPECT_EQ(Tray(IDI_ONLINE, "オンライン"), Tray(trayIconId(), trayTip()));
            resetApplicationObject();
        }
    }
}

TEST_F(Report, YesStartsTheMailProgramAndMayEndTheRound)
{
    const std::string folder = iniPath.substr(0, iniPath.rfind('\\'));
    const std::string mailer = folder + "\\mailer.exe", ran = folder + "\\mailer-ran.txt";
    ASSERT_TRUE(CopyFileA(FAKE_MAILER_PATH, mailer.c_str(), FALSE));
    const struct {
        int answer;
        uint8_t endRound;
        const char* path;
        bool started;
        const char* captions;
    } cases[] = {
        {IDYES, 1, mailer.c_str(), true, "メールの受信報告"},
        {IDYES, 0, mailer.c_str(), true, "メールの受信報告 | メールの受信報告"},
        {IDNO, 1, mailer.c_str(), false, "メールの受信報告 | メールの受信報告"},
        {IDYES, 1, "C:\\no such folder\\mailer.exe", false, "メールの受信報告 | OPEN ERROR!!"},
    };
    start(options(true, true), {makeAccount("a", "a", "b", ""), makeAccount("b", "a", "b", "")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.captions);
        FakePop3Server first, second;
        first.on("STAT", pop3Reply("+OK 1 10\r\n"));
        second.on("STAT", pop3Reply("+OK 2 20\r\n"));
        restore(1, makeAccount("a", "a", "b", first.address(), c.path, true));
        restore(2, makeAccount("b", "a", "b", second.address()));
        SettingsRecord stored = theApp.store.settings();
        stored.endRoundOnLaunch = c.endRound;
        ASSERT_TRUE(theApp.store.saveOptions(stored));
        DeleteFileA(ran.c_str());
        boxes.queueAnswers({c.answer});

        EXPECT_EQ(c.captions, round(&SeenBox::caption));
        const SeenBox& last = boxes.boxes().back();
        if (last.caption == "OPEN ERROR!!") {
            EXPECT_EQ("ソフトの起動エラーです。", last.text);
            EXPECT_EQ(BoxIcon::error, last.icon);
            EXPECT_TRUE(styles.styles().back() & MB_TOPMOST);
        }
        // The file appears before the mail program has written its line.
        for (DWORD start = GetTickCount();
             fileText(ran).find("\r\n") == std::string::npos && GetTickCount() - start < (c.started ? 10000u : 500u);)
            Sleep(50);
        EXPECT_EQ(c.started, fileExists(ran));
        EXPECT_EQ(c.started, fileText(ran).find("mailer.exe\t") != std::string::npos);
    }
}

// "編集", "削除" and "新規登録" clicked while a server holds the round reach
// the program between the conversation and its report. They wait for the
// round's end: each report names its own account and offers its own mail
// program, every account is checked, and each reply lands in its own slot.
TEST_F(Report, ListCommandsDuringARoundWaitForItsEnd)
{
    const std::string folder = iniPath.substr(0, iniPath.rfind('\\'));
    const std::string mailer = folder + "\\mailer.exe", ran = folder + "\\mailer-ran.txt";
    ASSERT_TRUE(CopyFileA(FAKE_MAILER_PATH, mailer.c_str(), FALSE));
    for (WORD command : {IDC_EDIT_ACCOUNT, IDC_DELETE_ACCOUNT, IDC_NEW_ACCOUNT}) {
        SCOPED_TRACE(command);
        FakePop3Server first, second;
        first.on("STAT", pop3Reply("+OK 3 300\r\n"));
        second.on("STAT", pop3Reply("+OK 1 100\r\n"));
        start(options(true), {makeAccount("A太郎", "a", "b", first.address(), mailer.c_str(), true),
                              makeAccount("B花子", "a", "b", second.address(), "C:\\other\\mailer.exe", true)});
        SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_SETCURSEL, 1, 0);
        PostMessageW(theApp.mainWindow, WM_COMMAND, command, 0);
        DeleteFileA(ran.c_str());
        boxes.queueAnswers({IDYES, IDNO});

        const std::string offer = "\nメールソフトを起動しますか？";
        EXPECT_EQ(reportText("A太郎", 3) + offer + " | " + reportText("B花子", 1) + offer, round());
        for (DWORD start = GetTickCount(); !fileExists(ran) && GetTickCount() - start < 10000;)
            Sleep(50);
        EXPECT_TRUE(fileExists(ran)) << "A's own mail program";
        EXPECT_STREQ("+OK 3 300\r\n", theApp.report.lastStatus(1));
        EXPECT_STREQ("+OK 1 100\r\n", theApp.report.lastStatus(2));
        EXPECT_EQ(2, theApp.store.settings().accountCount);
        MSG waiting = {};
        EXPECT_TRUE(PeekMessageW(&waiting, theApp.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(command, LOWORD(waiting.wParam)) << "carried out once the round has ended";
        TearDown();
        SetUp();
    }
}

// "削除" answered Yes after a click on the icon, or the timer, started a
// round while the box waited: the records move only once the round has
// ended, so every account is reported under its own name, and the next round
// finds each status where it belongs.
TEST_F(Report, ADeletionConfirmedDuringARoundWaitsForItsEnd)
{
    const UINT triggers[] = {WM_TRAYNOTIFY, WM_TIMER};
    for (UINT trigger : triggers) {
        SCOPED_TRACE(trigger == WM_TIMER ? "the timer" : "a click on the icon");
        FakePop3Server servers[3];
        std::vector<AccountRecord> accounts;
        std::vector<std::string> expected = {"DELETE DATA??"};
        for (int i = 0; i < 3; ++i) {
            const std::string name(1, static_cast<char>('A' + i)), reply = "+OK " + std::to_string(i + 1) + " 9\r\n";
            servers[i].on("STAT", pop3Reply(reply.c_str()));
            accounts.push_back(makeAccount(name.c_str(), "a", "b", servers[i].address()));
            expected.push_back(reportText(name.c_str(), i + 1));
        }
        expected.push_back("DELETE DATA!!");
        SettingsRecord settings = options(true);
        settings.lanMode = settings.intervalMinutes = 1;
        start(settings, accounts);
        KillTimer(theApp.mainWindow, kSchedulerTimer);
        for (int tick = 0; tick < 19; ++tick)   // 57 s: the next tick reaches the interval
            SendMessageW(theApp.mainWindow, WM_TIMER, kSchedulerTimer, 0);
        ASSERT_EQ(57, theApp.scheduler.elapsedSeconds());
        SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_SETCURSEL, 0, 0);
        boxes.whileShown([&](const SeenBox& box) {
            if (box.caption == "DELETE DATA??")
                PostMessageW(theApp.mainWindow, trigger, 0, trigger == WM_TIMER ? 0 : WM_LBUTTONUP);
        });
        boxes.queueAnswers({IDYES});
        size_t first = boxes.boxes().size();
        SendMessageW(theApp.mainWindow, WM_COMMAND, IDC_DELETE_ACCOUNT, 0);
        ASSERT_TRUE(finishRound());
        pumpMessages();

        std::vector<std::string> seen;
        for (size_t i = first; i < boxes.boxes().size(); ++i)
            seen.push_back(boxes.boxes()[i].caption == "メールの受信報告" ? boxes.boxes()[i].text : boxes.boxes()[i].caption);
        EXPECT_EQ(expected, seen);
        EXPECT_EQ((std::vector<std::string>{"B", "C"}), listLines());
        EXPECT_EQ("", round()) << "B and C are unchanged";
        TearDown();
        SetUp();
    }
}

TEST_F(Report, AnAccountBeyondTheSlotsIsNeverCheckedAndSaidOnceAtStartUp)
{
    FakePop3Server empty, full;
    full.on("STAT", pop3Reply("+OK 1 10\r\n"));
    std::vector<AccountRecord> accounts(15, makeAccount("user", "a", "b", empty.address()));
    accounts.push_back(makeAccount("sixteen", "a", "b", full.address()));
    start(options(true), accounts);
    EXPECT_EQ("ACCOUNT NUMBER ERROR!!", boxes.captions());

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ("", round());
        for (int n = 1; n <= 15; ++n)
            EXPECT_STREQ("+OK 0 0\r\n", theApp.report.lastStatus(n)) << "slots 1 to 15 are used";
    }
    EXPECT_EQ(0, full.connections());
}
