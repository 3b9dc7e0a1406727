// The real program in LAN mode on a laptop, against Dovecot across the tests'
// LAN (behind the adapter a0): the link taken down, mail arriving meanwhile,
// the link back, and a wake told by Windows.
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
    std::string maildir = std::string(DOVECOT_STATE) + "\\mail\\lan\\Maildir\\";
    std::string name = "lan-" + std::to_string(number);
    std::ofstream(maildir + "tmp\\" + name) << "Subject: message " << number << "\r\n\r\nHello.\r\n";
    ASSERT_TRUE(MoveFileA((maildir + "tmp\\" + name).c_str(), (maildir + "new\\" + name).c_str()));
}

}  // namespace

TEST(LanSystem, QuietWhileTheLinkIsDownAndMailReportedWhenItIsBackAndAfterWaking)
{
    struct Restore { ~Restore() { restoreLan(); } } restore;
    AppDriver app;
    SettingsRecord settings = makeSettings(2, 30);
    settings.lanMode = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    // One by name, one by address.
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("LAN", "lan", "secret", "lan.quillora.test")));
    ASSERT_TRUE(writeAccount(app.iniPath(), 2, makeAccount("空", "empty", "secret", "10.123.0.2")));
    deliverMail(1);
    ASSERT_TRUE(app.start());
    EXPECT_EQ("LAN に 1通メールが届いています。", app.answerBox(IDOK).text) << "the start-up round";

    ASSERT_TRUE(setLan(false));
    Sleep(3500);   // a tick sees it
    app.command(IDM_CHECK_NOW);
    EXPECT_TRUE(app.noBoxWithin(5000)) << "neither account shows a box";

    const struct { const char* step; int mail; DWORD withinMs; } rounds[] = {
        {"the link back up", 2, 12000}, {"PBT_APMRESUMEAUTOMATIC", 3, 15000}};
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.step);
        deliverMail(round.mail);
        if (round.mail == 2)
            ASSERT_TRUE(setLan(true));
        else
            app.post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
        SeenBox seen;
        ASSERT_TRUE(app.answerBox(IDOK, seen, round.withinMs));
        EXPECT_EQ("LAN に " + std::to_string(round.mail) + "通メールが届いています。",
                  seen.text);
    }
    EXPECT_TRUE(app.exitProgram());
}
