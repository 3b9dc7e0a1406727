// The real program against a real POP3 server (Dovecot on 127.0.0.1, and
// over TLS on the test hosts): its start-up round in LAN mode, refused
// logins, and certificates that must stop it before it logs in; and the
// edges of TLS a scripted server shows.
#include "AppDriver.h"
#include "HostShell.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace testsettings;

namespace {

struct Login {
    const char* user;
    const char* password;
    const char* server = "127.0.0.1";
};

// Accounts of Dovecot's users in this order, reported per user, LAN mode on.
void storeAccounts(AppDriver& app, std::vector<Login> logins)
{
    SettingsRecord settings = makeSettings(static_cast<int>(logins.size()));
    settings.lanMode = 1;
    settings.reportPerUser = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    for (size_t i = 0; i < logins.size(); ++i) {
        const Login& login = logins[i];
        ASSERT_TRUE(writeAccount(app.iniPath(), static_cast<int>(i + 1),
                                 makeAccount(login.user, login.user, login.password, login.server)));
    }
}

std::vector<std::string> dovecotLogLines()
{
    std::ifstream file(std::string(DOVECOT_STATE) + "\\dovecot.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// The lines that contain every one of these parts.
std::vector<std::string> linesWith(const std::vector<std::string>& lines, std::vector<const char*> parts)
{
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        bool all = true;
        for (const char* part : parts)
            all = all && line.find(part) != std::string::npos;
        if (all)
            found.push_back(line);
    }
    return found;
}

}  // namespace

TEST(Dovecot, TheStartUpRoundReportsEachMailboxWithMail)
{
    AppDriver app;
    storeAccounts(app, {{"empty", "secret"}, {"one", "secret"}, {"three", "secret"}});
    ASSERT_TRUE(app.start());
    EXPECT_EQ("one に 1通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_EQ("three に 3通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_TRUE(app.noBoxWithin(2000)) << "nothing for the empty mailbox";
}

// A wrong password gets the login box, and the round goes on. Dovecot as
// installed takes a login without encryption only from its own address, and
// 127.0.0.126 is not the address the program comes from: USER is refused, no
// password follows, and the box says how to choose TLS. Dovecot logs every
// refused attempt: a PASS would have been a second one.
TEST(Dovecot, RefusedLoginsGetTheirBoxesAndNoPasswordFollowsARefusedUser)
{
    AppDriver app;
    storeAccounts(app, {{"three", "wrong"}, {"one", "secret", "127.0.0.126"}, {"one", "secret"}});
    ASSERT_TRUE(app.start());
    SeenBox refused = app.answerBox(IDOK);   // Dovecot answers a wrong password after a pause
    EXPECT_EQ("ERROR!!", refused.caption);
    EXPECT_EQ(0u, refused.text.find("アカウント、パスワードに間違いがあるかもしれません。")) << refused.text;
    refused = app.answerBox(IDOK);
    EXPECT_EQ("ERROR!!", refused.caption);
    EXPECT_EQ("サーバがアカウント名を受け付けませんでした。\n設定をご確認ください。\n"
              "このサーバは暗号化した接続を求めています。サーバアドレスの後に「:995」を付けてください。\n"
              "サーバの応答：[AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections.",
              refused.text);
    EXPECT_EQ("one に 1通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_TRUE(app.noBoxWithin(1000));
    const std::vector<std::string> log = dovecotLogLines();
    const std::vector<std::string> ended = linesWith(log, {"lip=127.0.0.126", "Disconnected"});
    ASSERT_EQ(1u, ended.size());
    EXPECT_NE(std::string::npos, ended[0].find("Aborted login by logging out (auth failed, 1 attempts")) << ended[0];
    EXPECT_EQ(1u, linesWith(log, {"lip=127.0.0.126", "Login failed"}).size());
}

// Over TLS the certificate is checked before anything of the account is sent:
// each check that fails has its box, and Dovecot never hears the user's name
// on those hosts.
TEST(Dovecot, OverTlsOnlyAServerWithAGoodCertificateHearsTheAccount)
{
    const struct {
        Login login;
        const char* caption;
        const char* textStart;
    } cases[] = {
        {{"three", "secret", "pop.quillora.test:995"}, "メールの受信報告", "three に 3通メールが届いています。"},
        {{"one", "wrong", "pop.quillora.test:995"}, "ERROR!!", "アカウント、パスワードに間違いがあるかもしれません。"},
        {{"one", "secret", "wrong-name.quillora.test:995"}, "CERTIFICATE ERROR!!",
         "サーバの証明書は、サーバアドレスに入力した名前のものではありません。"},
        {{"one", "secret", "expired.quillora.test:995"}, "CERTIFICATE ERROR!!",
         "サーバの証明書は有効期限が切れているか、まだ有効になっていません。"},
        {{"one", "secret", "untrusted.quillora.test:995"}, "CERTIFICATE ERROR!!",
         "サーバの証明書は、信頼されている認証局が発行したものではありません。"},
    };
    const size_t logBefore = dovecotLogLines().size();
    AppDriver app;
    std::vector<Login> logins;
    for (const auto& c : cases)
        logins.push_back(c.login);
    storeAccounts(app, logins);
    ASSERT_TRUE(app.start());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.login.server);
        SeenBox box = app.answerBox(IDOK);
        EXPECT_EQ(c.caption, box.caption);
        EXPECT_EQ(0u, box.text.find(c.textStart)) << box.text;
    }
    EXPECT_TRUE(app.noBoxWithin(1000));

    std::vector<std::string> log = dovecotLogLines();
    log.erase(log.begin(), log.begin() + logBefore);
    EXPECT_EQ(1u, linesWith(log, {"Login: user=<three>", "TLS"}).size());
    // Each host whose certificate failed was reached once and left before a
    // command: Dovecot logs that connection without a user.
    for (const char* host : {"lip=127.0.0.123,", "lip=127.0.0.124,", "lip=127.0.0.125,"}) {
        const std::vector<std::string> seen = linesWith(log, {host});
        ASSERT_EQ(1u, seen.size()) << host;
        EXPECT_NE(std::string::npos, seen[0].find("(no auth attempts")) << seen[0];
        EXPECT_NE(std::string::npos, seen[0].find("user=<>,")) << seen[0];
    }
}

// What Dovecot does not do, done by OpenSSL's s_server on pop2.quillora.test
// (tests/dovecot/tls-server.sh): a record of the largest text, a request for
// a client certificate the server does without, and a request for a new
// handshake in the middle of the conversation, which the program does not
// take up: the channel ends as a TLS failure, and no more of the account
// goes out.
TEST(Dovecot, EdgesOfTlsEndInTheBoxTheyDeserve)
{
    const std::string work = std::string(DOVECOT_STATE) + "\\tls-server\\";
    const struct {
        const char* mode;
        const char* caption;
        const char* textStart;
        std::vector<const char*> logged;     // in the server's log, in this order
        const char* neverSent;
    } cases[] = {
        {"record", "メールの受信報告", "one に 2通メールが届いています。",
         {"USER one\r\n", "PASS secret\r\n", "STAT\r\n", "QUIT\r\n"}, nullptr},
        {"client-cert", "メールの受信報告", "one に 2通メールが届いています。",
         {"write certificate request", "read client certificate", "USER one\r\n", "QUIT\r\n"}, nullptr},
        {"renegotiate", "TLS ERROR!!", "サーバとの暗号化通信（TLS）を開始できませんでした。",
         {"USER one\r\n", "write hello request"}, "PASS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(0, runOnHost({"bash", TLS_SERVER_SCRIPT, unixPathOf(DOVECOT_STATE), c.mode}, false));
        for (int i = 0; i < 500 && !fileExists(work + "ready") && !fileExists(work + "done"); ++i)
            Sleep(20);
        ASSERT_TRUE(fileExists(work + "ready")) << fileText(work + "log");
        AppDriver app;
        storeAccounts(app, {{"one", "secret", "pop2.quillora.test:995"}});
        ASSERT_TRUE(app.start());
        SeenBox box = app.answerBox(IDOK);
        EXPECT_EQ(c.caption, box.caption);
        EXPECT_EQ(0u, box.text.find(c.textStart)) << box.text;
        for (int i = 0; i < 500 && !fileExists(work + "done"); ++i)
            Sleep(20);
        const std::string log = fileText(work + "log");
        size_t at = 0;
        for (const char* part : c.logged) {
            at = log.find(part, at);
            ASSERT_NE(std::string::npos, at) << part << " in\n" << log.substr(0, 4000);
        }
        if (c.neverSent) {
            EXPECT_EQ(std::string::npos, log.find(c.neverSent)) << log.substr(0, 4000);
        }
    }
}
