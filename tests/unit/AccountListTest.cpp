// The account list in-process: what a deletion does to the status each
// account's last STAT reply left behind.
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "resources/resource.h"

using namespace testsettings;

class ListDeletion : public AppFixture {};

// Each server answers the same on every round, so an account is reported
// again only when its status slot does not hold its own last reply.
TEST_F(ListDeletion, StatusSlotsMoveDownWithTheRecordsOnDeletion)
{
    FakePop3Server servers[3];
    SettingsRecord settings = makeSettings(3);
    settings.reportPerUser = 1;
    ASSERT_TRUE(writeSettings(iniPath, settings));
    for (int n = 1; n <= 3; ++n) {
        servers[n - 1].on("STAT", pop3Reply(("+OK " + std::to_string(n) + " 100\r\n").c_str()));
        ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(("u" + std::to_string(n)).c_str(), "acct", "pw",
                                                         servers[n - 1].address())));
    }
    startProgram();
    runRound();
    ASSERT_EQ(3, boxes.count()) << boxes.captions();

    boxes.queueAnswers({IDYES});
    theApp.accountList.deleteAccount(0);
    runRound();
    EXPECT_EQ(5, boxes.count()) << "u2 and u3 unchanged: " << boxes.captions();

    // A new account 3 on the server u3 had: the slot was freed for it.
    ASSERT_TRUE(theApp.store.addAccount(makeAccount("u4", "acct", "pw", servers[2].address()), "acct", "pw"));
    runRound();
    ASSERT_EQ(6, boxes.count()) << boxes.captions();
    EXPECT_EQ("u4 に 3通メールが届いています。", boxes.boxes().back().text);
}
