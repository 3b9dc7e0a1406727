// The real program in LAN mode on a laptop, against Dovecot across the tests'
// LAN (lan.quillora.test, behind the adapter a0): the link taken down, mail
// arriving meanwhile, the link back, and a wake told by Windows.
#include "AppDriver.h"
#include "TestLan.h"
#include "TestSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace testsettings;

namespace {

void deliverMail(int number)
{
    std::string name = "lan-" + std::to_string(number);
    std::string maildir = std::string(DOVECOT_STATE) + "\\mail\\lan\\Maildir\\";
    std::ofstream(maildir + "tmp\\" + name) << "Subject: message " << number << "\r\n\r\nHello.\r\n";
    ASSERT_TRUE(MoveFileA((maildir + "tmp\\" + name).c_str(), (maildir + "new\\" + name).c_str()));
}

size_t logins(const char* user)
{
    std::ifstream log(std::string(DOVECOT_STATE) + "\\dovecot.log");
    size_t count = 0;
    for (std::string line; std::getline(log, line);)
        count += line.find(std::string("Login: user=<") + user + ">") != std::string::npos;
    return count;
}

}  // namespace

TEST(LanSystem, QuietWhileTheLinkIsDownAndMailReportedWhenItIsBackAndAfterWaking)
{
    struct Restore { ~Restore() { restoreLan(); } } restore;
    AppDriver app;
    SettingsRecord settings = makeSettings(2, 30);
    settings.lanMode = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("LAN", "lan", "secret", "lan.quillora.test")));
    ASSERT_TRUE(writeAccount(app.iniPath(), 2, makeAccount("空", "empty", "secret", "10.123.0.2")));
    ASSERT_TRUE(app.start());
    const size_t empty = logins("empty");
    ASSERT_TRUE(waitUntil(10000, [&] { return logins("lan") == 1 && logins("empty") == empty + 1; }))
        << "the start-up round";
    ASSERT_TRUE(app.sync());

    ASSERT_TRUE(setLan(false));
    Sleep(3500);   // a tick sees it
    app.command(IDM_CHECK_NOW);
    EXPECT_TRUE(app.noBoxWithin(5000)) << "neither account shows a box";
    deliverMail(1);

    ASSERT_TRUE(setLan(true));
    SeenBox seen;
    ASSERT_TRUE(app.answerBox(IDOK, seen, 12000)) << "mail that came meanwhile, within 12 s";
    EXPECT_EQ("LAN に 1通メールが届いています。", seen.text);

    deliverMail(2);
    app.post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    ASSERT_TRUE(app.answerBox(IDOK, seen, 15000)) << "a round within 15 s of the wake";
    EXPECT_EQ("LAN に 2通メールが届いています。", seen.text);
    const size_t before = logins("lan");
    app.post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_TRUE(app.noBoxWithin(5000));
    EXPECT_EQ(before, logins("lan")) << "the second message of the wake starts no round";
    EXPECT_TRUE(app.exitProgram());
}
