// The real program's start-up round in LAN mode against a scripted server:
// the report answered from outside, and the bytes the server got.
#include "AppDriver.h"
#include "FakePop3Server.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

using namespace testsettings;

TEST(ProbeSystem, TheStartUpRoundReportsAndSendsOnlyTheFourCommands)
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 2 100\r\n"));
    AppDriver app;
    SettingsRecord settings = makeSettings(1);
    settings.lanMode = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("自宅", "me", "pw", server.address())));
    ASSERT_TRUE(app.start());

    SeenBox report = app.answerBox(IDOK);
    EXPECT_EQ("メールの受信報告", report.caption);
    EXPECT_EQ("自宅 に 2通メールが届いています。", report.text);
    EXPECT_EQ(nullptr, report.owner);
    EXPECT_FALSE(report.hasYesNo);
    EXPECT_TRUE(server.waitForClientClose(10000));
    EXPECT_EQ("USER me\r\nPASS pw\r\nSTAT\r\nQUIT\r\n", server.received());
    EXPECT_TRUE(app.sync());
    EXPECT_TRUE(app.noBoxWithin(500));
    EXPECT_EQ(1, server.connections());
}
