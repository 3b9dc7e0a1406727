// The real program against a real POP3 server (Dovecot on 127.0.0.1): its
// start-up round in LAN mode, and a wrong password.
#include "AppDriver.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

using namespace testsettings;

namespace {

// Accounts of Dovecot's users in this order, reported per user, LAN mode on.
void storeAccounts(AppDriver& app, std::vector<std::pair<const char*, const char*>> users)
{
    SettingsRecord settings = makeSettings(static_cast<int>(users.size()));
    settings.lanMode = 1;
    settings.reportPerUser = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    for (size_t i = 0; i < users.size(); ++i) {
        const char* user = users[i].first;
        ASSERT_TRUE(writeAccount(app.iniPath(), static_cast<int>(i + 1),
                                 makeAccount(user, user, users[i].second, "127.0.0.1")));
    }
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

TEST(Dovecot, AWrongPasswordGetsTheLoginBoxAndTheRoundGoesOn)
{
    AppDriver app;
    storeAccounts(app, {{"three", "wrong"}, {"one", "secret"}});
    ASSERT_TRUE(app.start());
    SeenBox refused = app.answerBox(IDOK);   // Dovecot answers a wrong password after a pause
    EXPECT_EQ("ERROR!!", refused.caption);
    EXPECT_EQ(0u, refused.text.find("アカウント、パスワードに間違いがあるかもしれません。")) << refused.text;
    EXPECT_EQ("one に 1通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_TRUE(app.noBoxWithin(1000));
}
