// One account's POP3 conversation as the server sees it, byte for byte, and
// every way it can go wrong: refused logins, unreachable servers, silence,
// floods and replies that arrive in pieces.
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "HostShell.h"
#include "SilentNameServer.h"
#include "checking/pop3/Pop3Connection.h"
#include "checking/pop3/ServerRefusal.h"
#include "resources/ShowBox.h"

#include <algorithm>
#include <atomic>
#include <thread>

using namespace testsettings;

namespace {

const std::vector<const char*> kAll = {"USER a", "PASS b", "STAT", "QUIT"};
const std::vector<const char*> kNoStat = {"USER a", "PASS b", "QUIT"};
const char kUnforeseen[] = "製作者には予期できないエラーです。";
const char kTimeout[] = "サーバから時間内に応答がありませんでした。";
const char kDisconnected[] = "メールの数を確かめる前に、サーバが接続を切りました。";

// A reply line of exactly this many bytes, CR LF included.
std::string line(size_t length)
{
    std::string text = "+OK ";
    text.append(length - text.size() - 2, 'a');
    return text + "\r\n";
}

Pop3Step step(const char* reply, size_t floodBytes, std::vector<size_t> splitAt = {}, bool closeAfter = false)
{
    Pop3Step s = pop3Reply(reply);
    s.floodBytes = floodBytes;
    s.splitAt = splitAt;
    s.closeAfter = closeAfter;
    return s;
}

void script(FakePop3Server& server, const char* verb, const Pop3Step& s)   // "" is the greeting
{
    if (*verb)
        server.on(verb, s);
    else
        server.greeting(s);
}

// Carries a TLS connection from the program to a real TLS server (OpenSSL's
// s_server) and holds the server's bytes back as told, so that the handshake
// stalls at the step chosen.
enum class Hold {
    someBytes,         // passes on the first few bytes of the server's hello only
    afterClientKeys,   // passes on nothing after the client's second flight (its Finished)
    trickle,           // passes on one byte every two seconds
};

class StallingRelay {
public:
    StallingRelay(const char* address, const char* serverAddress, u_short serverPort, Hold hold)
        : hold_(hold), listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(995);
        at.sin_addr.s_addr = inet_addr(address);
        server_ = at;
        server_.sin_port = htons(serverPort);
        server_.sin_addr.s_addr = inet_addr(serverAddress);
        listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(listener_, 1) == 0;
        if (listening_)
            thread_ = std::thread([this] { relay(); });
    }
    ~StallingRelay()
    {
        stop_ = true;
        closesocket(listener_);
        if (thread_.joinable())
            thread_.join();
    }
    bool listening() const { return listening_; }

private:
    static const size_t kSomeBytes = 60;   // inside the first record: less than its header says
    static const DWORD kTrickleMs = 2000;

    void relay()
    {
        SOCKET client = accept(listener_, NULL, NULL);
        SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (client == INVALID_SOCKET ||
            connect(server, reinterpret_cast<const sockaddr*>(&server_), sizeof server_) != 0) {
            closesocket(client);
            closesocket(server);
            return;
        }
        std::string fromClient, held;
        size_t passed = 0;
        bool serverOpen = true;   // once it has closed, the client is still held
        DWORD lastTrickle = GetTickCount();
        char bytes[4096];
        while (!stop_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(client, &readable);
            if (serverOpen)
                FD_SET(server, &readable);
            timeval pause = {0, 100 * 1000};
            if (select(0, &readable, NULL, NULL, &pause) < 0)
                break;
            if (FD_ISSET(client, &readable)) {
                int n = recv(client, bytes, sizeof bytes, 0);
                if (n <= 0)
                    break;
                fromClient.append(bytes, n);
                send(server, bytes, n, 0);
            }
            if (serverOpen && FD_ISSET(server, &readable)) {
                int n = recv(server, bytes, sizeof bytes, 0);
                if (n > 0)
                    held.append(bytes, n);
                serverOpen = n > 0;
            }
            // The client's hello is one record; anything after it is its
            // second flight.
            const unsigned char* header = reinterpret_cast<const unsigned char*>(fromClient.data());
            size_t hello = fromClient.size() >= 5 ? 5 + (header[3] << 8 | header[4]) : std::string::npos;
            size_t allowed = 0;
            switch (hold_) {
            case Hold::someBytes:
                allowed = kSomeBytes;
                break;
            case Hold::afterClientKeys:
                allowed = fromClient.size() > hello ? passed : std::string::npos;
                break;
            case Hold::trickle:
                if (GetTickCount() - lastTrickle >= kTrickleMs) {
                    lastTrickle = GetTickCount();
                    allowed = passed + 1;
                } else {
                    allowed = passed;
                }
                break;
            }
            size_t count = std::min(held.size(), allowed > passed ? allowed - passed : 0);
            if (count) {
                send(client, held.data(), static_cast<int>(count), 0);
                held.erase(0, count);
                passed += count;
            }
        }
        closesocket(client);
        closesocket(server);
    }

    Hold hold_;
    SOCKET listener_;
    sockaddr_in server_ = {};
    bool listening_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// OpenSSL's s_server on address:port with a certificate made for it, for as
// long as the object lives (two and a half minutes at most). It holds none of
// the test's output open, or ctest would wait for it.
class TlsTestServer {
public:
    TlsTestServer(const char* address, u_short port)
    {
        const std::string folder = unixPathOf(testProgramFolder());
        pidFile_ = folder + "/stall-server.pid";
        const std::string key = folder + "/stall.key", certificate = folder + "/stall.pem";
        if (runOnHost({"bash", "-c", "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                                     "-days 1 -subj /CN=stall.quillora.test -keyout " + key + " -out " +
                                     certificate + " 2>/dev/null"}) != 0)
            return;
        runOnHost({"bash", "-c", "echo $$ > " + pidFile_ + "; exec timeout 150 openssl s_server -quiet -tls1_2 " +
                                     "-accept " + address + ":" + std::to_string(port) + " -cert " + certificate +
                                     " -key " + key + " </dev/null >/dev/null 2>&1"},
                  false);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        at.sin_addr.s_addr = inet_addr(address);
        for (int tries = 0; tries < 100 && !listening_; ++tries) {
            SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            listening_ = connect(probe, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
            closesocket(probe);
            if (!listening_)
                Sleep(50);
        }
    }
    ~TlsTestServer() { runOnHost({"bash", "-c", "kill $(cat " + pidFile_ + ") 2>/dev/null"}); }
    bool listening() const { return listening_; }

private:
    std::string pidFile_;
    bool listening_ = false;
};

class Probe : public AppFixture {
protected:
    // Account 1 on this server. The first call stores the settings (every
    // round reports, per user) and starts the program.
    void store(const char* server, const char* account = "a", const char* password = "b", int count = 1)
    {
        ASSERT_TRUE(writeAccount(iniPath, 1, makeAccount("user", account, password, server)));
        if (theApp.mainWindow)
            return;
        SettingsRecord settings = makeSettings(count);
        settings.reportUnread = settings.reportPerUser = 1;
        ASSERT_TRUE(writeSettings(iniPath, settings));
        startProgram();
    }

    // Boxes are counted from here on.
    void mark() { mark_ = boxes.count(); }
    int newBoxes() const { return boxes.count() - mark_; }
    const SeenBox& newBox(int i = 0) const { return boxes.boxes()[mark_ + i]; }

    // A box of the checking code: caption, start of the text, icon, no owner, topmost.
    void expectBox(int i, const char* caption, const char* textStart, BoxIcon icon)
    {
        ASSERT_LT(i, newBoxes()) << boxes.captions();
        EXPECT_EQ(caption, newBox(i).caption);
        EXPECT_EQ(0u, newBox(i).text.find(textStart)) << newBox(i).text;
        EXPECT_EQ(icon, newBox(i).icon);
        EXPECT_EQ(nullptr, newBox(i).owner);
        ASSERT_EQ(boxes.boxes().size(), styles.styles().size());
        EXPECT_TRUE(styles.styles()[mark_ + i] & MB_TOPMOST);
    }

    // The server got exactly these commands, in this order, and nothing else.
    // A client that closes with unread data resets the connection, and the
    // reset may overtake its last command on the way.
    static void expectReceived(FakePop3Server& server, const std::vector<const char*>& commands,
                               bool unreadData = false)
    {
        std::string wire;
        for (const char* command : commands)
            wire += std::string(command) + "\r\n";
        if (!commands.empty()) {
            EXPECT_TRUE(server.waitForClientClose(5000));
        }
        std::string received = server.received();
        if (unreadData && received + "QUIT\r\n" == wire)
            received = wire;
        EXPECT_EQ(wire, received);
    }

    // A round over account 1, which must take the bound and end in one box,
    // by default the timeout box.
    void expectOneBoxAfter(DWORD boundSeconds, const char* caption = "TIMEOUT ERROR!!",
                           const char* textStart = kTimeout)
    {
        mark();
        DWORD start = GetTickCount();
        runRound();
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, (boundSeconds - 1) * 1000);
        EXPECT_LT(elapsed, (boundSeconds + 4) * 1000);
        EXPECT_EQ(1, newBoxes()) << boxes.captions();
        expectBox(0, caption, textStart, BoxIcon::error);
    }

    // Tallied by script/test: one line for each hostile scenario that held.
    void scenarioPassed(const std::string& scenario)
    {
        if (!HasFailure())
            printf("hostile server: %s: ok\n", scenario.c_str());
    }

    int mark_ = 0;
    BoxStyleRecorder styles;
};

}  // namespace

TEST_F(Probe, PassRepliesDecideBetweenStatAndTheLoginBoxesAndTheRoundGoesOn)
{
    const struct {
        const char* passReply;
        const char* textStart;   // nullptr: a good login
    } cases[] = {
        {"-ERR [AUTH] Authentication failed.\r\n", "アカウント、パスワードに間違いがあるかもしれません。"},
        {"+Ok? no\r\n", kUnforeseen},
        {"* still greeting +OK logged in\r\n", nullptr},
    };
    FakePop3Server next;
    next.on("STAT", pop3Reply("+OK 1 10\r\n"));
    ASSERT_TRUE(writeAccount(iniPath, 2, makeAccount("next", "a", "b", next.address())));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passReply);
        FakePop3Server server;
        server.on("PASS", pop3Reply(c.passReply));
        store(server.address(), "a", "b", 2);
        mark();
        runRound();
        ASSERT_EQ(c.textStart ? 2 : 1, newBoxes()) << boxes.captions();
        if (c.textStart)
            expectBox(0, "ERROR!!", c.textStart, BoxIcon::warning);
        EXPECT_EQ("next に 1通メールが届いています。", boxes.boxes().back().text);
        expectReceived(server, c.textStart ? kNoStat : kAll);
        scenarioPassed(std::string("PASS answered ") + c.passReply);
    }
}

// What a server says when it will not let the account in reaches the user in
// its own words, shown so that nothing it sends can break or widen the box,
// and a password goes only where it is asked for: not after a refused
// greeting or USER. The box comes after QUIT, whatever the refusal.
TEST_F(Probe, ARefusalIsToldInTheServersWordsAndNoPasswordFollowsIt)
{
    const std::string wrongPassword =
        "アカウント、パスワードに間違いがあるかもしれません。\n設定をご確認ください。\n"
        "サーバがビジー状態であったりする場合もあります。";
    const std::string words = "\nサーバの応答：";
    const std::string useTls = "このサーバは暗号化した接続を求めています。サーバアドレスの後に「:995」を付けてください。";
    auto repeated = [](const std::string& piece, size_t size) {
        std::string text;
        while (text.size() < size)
            text += piece;
        return text.substr(0, size);
    };
    // 470 bytes with the line end: control bytes, a NUL and Shift_JIS among the text.
    const std::string garbled = repeated(std::string("ab\t\xE9\x01\x7F\x00" "cd", 9), 463);
    const std::string shown = repeated("ab?????cd", kServerWordsLength);
    const std::string gmail = "[AUTH] Application-specific password required: "
                              "https://support.google.com/accounts/answer/185833";
    const struct {
        const char* name;
        const char* verb;   // "" is the greeting
        std::string reply;
        std::vector<const char*> sent;
        std::string text;
    } rows[] = {
        {"greeting refused", "", "-ERR [SYS/TEMP] Too many connections\r\n", {"QUIT"},
         "サーバが接続を受け付けませんでした。\nしばらくしてからもう一度お試しください。" + words +
             "[SYS/TEMP] Too many connections"},
        {"USER refused without encryption", "USER",
         "-ERR [AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections.\r\n",
         {"USER a", "QUIT"},
         "サーバがアカウント名を受け付けませんでした。\n設定をご確認ください。\n" + useTls + words +
             "[AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections."},
        {"PASS refused without encryption", "PASS", "-ERR [AUTH] Cleartext login not allowed, use TLS\r\n", kNoStat,
         "サーバがログインを受け付けませんでした。\n" + useTls + words + "[AUTH] Cleartext login not allowed, use TLS"},
        {"PASS: the mailbox in use", "PASS", "-ERR [IN-USE] Mailbox locked by another session\r\n", kNoStat,
         "メールボックスを他のプログラムが使用中です（メールソフトが受信中かもしれません）。\n次の巡回で確かめます。" +
             words + "[IN-USE] Mailbox locked by another session"},
        {"PASS: the server busy", "PASS", "-ERR [SYS/TEMP] Service unavailable\r\n", kNoStat,
         "サーバが一時的に使えません。\n次の巡回で確かめます。" + words + "[SYS/TEMP] Service unavailable"},
        {"PASS: an app password wanted", "PASS", "-ERR " + gmail + "\r\n", kNoStat, wrongPassword + words + gmail},
        {"PASS: 470 bytes", "PASS", "-ERR " + garbled + "\r\n", kNoStat, wrongPassword + words + shown + "…"},
        {"PASS: no text", "PASS", "-ERR\r\n", kNoStat, wrongPassword},
        {"STAT refused", "STAT", "-ERR Unable to lock maildrop\r\n", kAll,
         "サーバがメールの数を答えませんでした。\n次の巡回で確かめます。" + words + "Unable to lock maildrop"},
    };
    // The widest box the program showed before servers had their say.
    showBox(NULL, Box::accountsBeyondSlots);
    const int widestBefore = boxes.boxes().back().width;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakePop3Server server;
        Pop3Step refusal;
        refusal.reply = row.reply;   // a NUL among it
        script(server, row.verb, refusal);
        store(server.address());
        mark();
        runRound();
        // Every row has its say: one that fails does not hide the next.
        EXPECT_EQ(1, newBoxes()) << boxes.captions();
        if (newBoxes() > 0) {
            expectBox(0, "ERROR!!", "", BoxIcon::warning);
            EXPECT_EQ(row.text, newBox().text);
            EXPECT_LE(newBox().width, widestBefore);
        }
        expectReceived(server, row.sent);
        scenarioPassed(std::string("refusal: ") + row.name);
    }
}

TEST_F(Probe, FailuresBeforeTheConversationShowTheirBoxAndSendNothing)
{
    FakePop3Server server;
    const char* notFound = "サーバが見つかりません!!\nデータの入力ミスやサーバダウンなどが原因と思われます。";
    const char* lineBreak =
        "アカウント名かパスワードに改行が含まれています。\nこのアカウントはチェックしませんでした。設定をご確認ください。";
    const std::string refused = "ソケットに接続できませんでした。\nサーバのポート番号が";
    const std::string useTls = "\nSSL（ポート995）のサーバなら、サーバアドレスの後に「:995」を付けてください。";
    const struct {
        const char* server;
        const char* account;
        const char* password;
        const char* caption;
        std::string text;
    } cases[] = {
        // An empty label fails inside the resolver: no query leaves the machine.
        {"no..such.host", "a", "b", "SERVERDATA ERROR!!", notFound},
        // What an unreadable record comes back as: never this machine itself.
        {"", "", "", "SERVERDATA ERROR!!", notFound},
        {"127.0.0.7", "a", "b", "CONNECT ERROR!!", refused + "110ではないかもしれません。" + useTls},
        {"127.0.0.7:1110", "a", "b", "CONNECT ERROR!!", refused + "1110ではないかもしれません。" + useTls},
        {"127.0.0.7:995", "a", "b", "CONNECT ERROR!!", refused + "995ではないかもしれません。"},
        {server.address(), "a\r\nDELE 1", "b", "ACCOUNT DATA ERROR!!", lineBreak},
        {server.address(), "a", "b\nDELE 1", "ACCOUNT DATA ERROR!!", lineBreak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        store(c.server, c.account, c.password);
        mark();
        runRound();
        EXPECT_EQ(1, newBoxes()) << boxes.captions();
        expectBox(0, c.caption, c.text.c_str(), BoxIcon::error);
        EXPECT_EQ(c.text, newBox().text);
        scenarioPassed(std::string(c.caption) + " for server \"" + c.server + "\"");
    }
    EXPECT_FALSE(server.waitForConnections(1, 500));
}

// The reply bound is 30 s, so this takes two minutes.
TEST_F(Probe, SilenceAtAnyStepEndsInOneTimeoutBoxAtTheReplyBound)
{
    const struct {
        const char* verb;
        std::vector<const char*> sent;
    } cases[] = {{"", {"QUIT"}}, {"USER", {"USER a", "QUIT"}}, {"PASS", kNoStat}, {"STAT", kAll}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verb);
        FakePop3Server server;
        script(server, c.verb, pop3Silent());
        store(server.address());
        expectOneBoxAfter(kReplyTimeoutSeconds);
        expectReceived(server, c.sent);
        scenarioPassed(std::string("silence after ") + (*c.verb ? c.verb : "accept"));
    }
}

TEST_F(Probe, AConnectionNeverAcceptedEndsAtTheConnectBound)
{
    FakePop3Server server;
    ASSERT_TRUE(server.stopAccepting());
    store(server.address());
    expectOneBoxAfter(kConnectTimeoutSeconds);
    expectReceived(server, {});
    scenarioPassed("a connection never accepted");
}

// What widely used servers send: long greetings and login replies, replies in
// pieces or several at once, and what broken ones send: endless lines,
// floods, a closed connection. Each reply is read to the end of its line, and
// the mailbox is released (QUIT sent, connection closed) before any box.
TEST_F(Probe, RepliesAreReadWholeLineByLineAndTheMailboxIsFreeBeforeAnyBox)
{
    const char* report = "メールの受信報告";
    const char* tooLong = "サーバからの応答が長すぎるため";
    const std::string greeting126 = line(126);
    const std::string line600 = std::string(600, 'x') + "\r\n";
    const struct {
        const char* verb;
        Pop3Step step;
        const char* caption;     // the one box
        const char* textStart;
        std::vector<const char*> sent;
        const char* otherVerb = nullptr;   // and what the server answers it, if not as usual
        const char* otherReply = nullptr;
    } cases[] = {
        {"", step(greeting126.c_str(), 0), report, "user に 2通", kAll},
        {"", step(greeting126.c_str(), 0), "ERROR!!", "アカウント、パスワードに間違い", kNoStat,
         "PASS", "-ERR [AUTH] Authentication failed.\r\n"},
        {"", step("+OK POP3 server ready <1896.697170952@dbc.example>\r\n", 0, {9}), report, "user に 2通", kAll},
        {"PASS", step(line(88).c_str(), 0), report, "user に 2通", kAll},
        {"PASS", step("+OK logged in\r\n", 0, {2}), report, "user に 2通", kAll},
        {"STAT", step("+OK 12 512\r\n", 0, {5}), report, "user に 12通", kAll},
        // The greeting brings the answer to USER with it; USER itself gets none.
        {"", step("+OK ready\r\n+OK user accepted\r\n", 0), report, "user に 2通", kAll, "USER", ""},
        {"", step(line600.c_str(), 0), "REPLY ERROR!!", tooLong, {"QUIT"}},
        {"STAT", step(line600.c_str(), 0), "REPLY ERROR!!", tooLong, kAll},
        {"", step("+OK hi\r\n", 1 << 20), "REPLY ERROR!!", tooLong, {"USER a", "QUIT"}},
        // The mailbox was read: a runaway answer to QUIT is not worth a box.
        {"STAT", step("+OK 1 100\r\n", 1 << 20), report, "user に 1通", kAll},
        // A server that ends the conversation is said to have done so.
        {"", step("+OK bye\r\n", 0, {}, true), "DISCONNECT ERROR!!", kDisconnected, {"USER a", "QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.verb) + " " + c.step.reply.substr(0, 40));
        FakePop3Server server;
        server.on("STAT", pop3Reply("+OK 2 200\r\n"));
        if (c.otherVerb)
            server.on(c.otherVerb, pop3Reply(c.otherReply));
        script(server, c.verb, c.step);
        store(server.address());
        mark();
        std::string receivedBeforeBox;
        bool closedBeforeBox = false;
        boxes.whileShown([&](const SeenBox&) {
            closedBeforeBox = server.waitForClientClose(2000);
            receivedBeforeBox = server.received();
        });
        DWORD start = GetTickCount();
        runRound();
        EXPECT_LT(GetTickCount() - start, 8000u);
        ASSERT_EQ(1, newBoxes()) << boxes.captions();
        EXPECT_EQ(c.caption, newBox().caption);
        EXPECT_EQ(0u, newBox().text.find(c.textStart)) << newBox().text;
        EXPECT_TRUE(closedBeforeBox);
        EXPECT_NE(std::string::npos, receivedBeforeBox.find("QUIT\r\n")) << receivedBeforeBox;
        expectReceived(server, c.sent, c.step.floodBytes > 0 || c.step.reply.size() > 512);
        scenarioPassed(std::string("reply ") + (*c.verb ? c.verb : "greeting") + " " +
                       c.step.reply.substr(0, 24));
    }
}

// A connection that ends before STAT is answered, or a STAT refused, is no
// mailbox read: it is said, and the account's last status stays, so that
// unchanged mail is not reported again on the next round.
TEST_F(Probe, AConnectionClosedBeforeTheStatReplyIsSaidAndTheLastStatusStays)
{
    // The last status, from a round in which only changes are reported.
    FakePop3Server same;
    same.on("STAT", pop3Reply("+OK 2 200\r\n"));
    store(same.address());
    SettingsRecord everyChange = theApp.store.settings();
    everyChange.reportUnread = 0;
    ASSERT_TRUE(theApp.store.saveOptions(everyChange));
    runRound();
    ASSERT_STREQ("+OK 2 200\r\n", theApp.report.lastStatus(1));

    const Pop3Step closing = step("+OK\r\n", 0, {}, true);
    const struct {
        const char* after;
        Pop3Step step;
        std::vector<const char*> sent;
        const char* caption;
        const char* textStart;
        BoxIcon icon;
    } cases[] = {
        {"", closing, {"USER a", "QUIT"}, "DISCONNECT ERROR!!", kDisconnected, BoxIcon::error},
        {"USER", closing, {"USER a", "PASS b", "QUIT"}, "DISCONNECT ERROR!!", kDisconnected, BoxIcon::error},
        {"PASS", closing, kAll, "DISCONNECT ERROR!!", kDisconnected, BoxIcon::error},
        {"STAT", pop3Reply("-ERR [SYS/TEMP] Try again\r\n"), kAll, "ERROR!!", "サーバがメールの数を答えませんでした。",
         BoxIcon::warning},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(*c.after ? c.after : "greeting");
        FakePop3Server server;
        server.on("STAT", pop3Reply("+OK 2 200\r\n"));
        script(server, c.after, c.step);
        store(server.address());
        mark();
        runRound();
        ASSERT_EQ(1, newBoxes()) << boxes.captions();
        expectBox(0, c.caption, c.textStart, c.icon);
        EXPECT_STREQ("+OK 2 200\r\n", theApp.report.lastStatus(1));
        expectReceived(server, c.sent);
    }
    // The mailbox as it was before: nothing new to report.
    store(same.address());
    mark();
    runRound();
    EXPECT_EQ(0, newBoxes()) << boxes.captions();
}

// A server that takes 25 s over every reply stays inside the reply bound each
// time; the conversation bound cuts it off, and the next account is checked.
TEST_F(Probe, AServerSlowAtEveryReplyIsCutOffAtTheConversationBound)
{
    FakePop3Server slow, next;
    Pop3Step late = pop3Reply("+OK\r\n");
    late.delayMs = 25000;
    for (const char* verb : {"", "USER", "PASS", "STAT"})
        script(slow, verb, late);
    next.on("STAT", pop3Reply("+OK 1 10\r\n"));
    ASSERT_TRUE(writeAccount(iniPath, 2, makeAccount("next", "a", "b", next.address())));
    store(slow.address(), "a", "b", 2);
    mark();
    DWORD start = GetTickCount();
    runRound();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, (kConversationTimeoutSeconds - 1) * 1000);
    EXPECT_LT(elapsed, (kConversationTimeoutSeconds + 5) * 1000);
    ASSERT_EQ(2, newBoxes()) << boxes.captions();
    expectBox(0, "TIMEOUT ERROR!!", kTimeout, BoxIcon::error);
    EXPECT_EQ("next に 1通メールが届いています。", newBox(1).text);
    // The fake server reads the client's goodbye only after its own pause.
    EXPECT_TRUE(slow.waitForClientClose(20000));
    expectReceived(slow, kNoStat);
    scenarioPassed("a server slow at every reply");
}

// The port after the host name: 995 speaks TLS from the first byte, any
// other port plain POP3. A server on 995 that does not answer in TLS gets
// nothing of the account.
TEST_F(Probe, APortAfterTheHostChoosesItAndOn995OnlyTlsIsSpoken)
{
    const char* report = "メールの受信報告";
    const struct {
        const char* server;
        unsigned short port;
        bool silent;
        const char* caption;
        const char* textStart;
        DWORD atLeastMs;
    } cases[] = {
        {"127.0.0.150:110", 110, false, report, "user に 2通", 0},
        {"127.0.0.151:1110", 1110, false, report, "user に 2通", 0},
        {"127.0.0.152:995", 995, false, "TLS ERROR!!", "サーバとの暗号化通信（TLS）を開始できませんでした。", 0},
        {"127.0.0.153:995", 995, true, "TIMEOUT ERROR!!", kTimeout, (kReplyTimeoutSeconds - 1) * 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        std::string host(c.server, strcspn(c.server, ":"));
        FakePop3Server server(host.c_str(), c.port);
        ASSERT_TRUE(server.listening());
        server.on("STAT", pop3Reply("+OK 2 200\r\n"));
        if (c.silent)
            server.greeting(pop3Silent());
        store(c.server);
        mark();
        DWORD start = GetTickCount();
        runRound();
        EXPECT_GE(GetTickCount() - start, c.atLeastMs);
        ASSERT_EQ(1, newBoxes()) << boxes.captions();
        EXPECT_EQ(c.caption, newBox().caption);
        EXPECT_EQ(0u, newBox().text.find(c.textStart)) << newBox().text;
        EXPECT_TRUE(server.waitForClientClose(5000));
        if (c.port == 995)
            EXPECT_EQ(std::string::npos, server.received().find("USER")) << "nothing of the account in the clear";
        else
            expectReceived(server, kAll);
        scenarioPassed(std::string("server field ") + c.server + (c.silent ? " silent" : ""));
    }
}

// Every step of the TLS handshake waits inside the reply bound, however the
// server stalls: part-way through its hello, after the client's Finished
// (its own never comes), or trickling its hello a byte at a time, which no
// bound on each single wait would stop.
TEST_F(Probe, ATlsHandshakeStalledAtAnyStepEndsAtTheReplyBound)
{
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    TlsTestServer tls("127.0.0.160", 4433);
    ASSERT_TRUE(tls.listening());
    const struct {
        const char* step;
        const char* relayAddress;
        Hold hold;
    } cases[] = {
        {"inside the server's hello", "127.0.0.161", Hold::someBytes},
        {"before the server's Finished", "127.0.0.162", Hold::afterClientKeys},
        {"a byte of the server's hello every two seconds", "127.0.0.163", Hold::trickle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        StallingRelay relay(c.relayAddress, "127.0.0.160", 4433, c.hold);
        ASSERT_TRUE(relay.listening());
        store((std::string(c.relayAddress) + ":995").c_str());
        expectOneBoxAfter(kReplyTimeoutSeconds);
        scenarioPassed(std::string("TLS handshake stalled: ") + c.step);
    }
    WSACleanup();
}

// A name server that never answers holds the lookup, not the program.
TEST_F(Probe, ANameServerThatNeverAnswersEndsAtTheLookupBound)
{
    SilentNameServer nameServer;
    ASSERT_TRUE(nameServer.listening());
    store("slow-name-server.quillora.test");
    // A timeout, not a name typed wrong.
    expectOneBoxAfter(kLookupTimeoutSeconds, "TIMEOUT ERROR!!", "サーバ名の問い合わせに時間内に応答がありませんでした。");
    EXPECT_TRUE(nameServer.asked()) << "the question went to the name server of the tests' network";
    scenarioPassed("a name server that never answers");
}
