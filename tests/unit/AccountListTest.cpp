// The account list in-process: what a deletion does to the status each
// account's last STAT reply left behind.
#include "AppFixture.h"
#include "resources/resource.h"

#include <cstring>

using namespace testsettings;

class AccountList : public AppFixture {};

TEST_F(AccountList, StatusSlotsMoveDownWithTheRecordsOnDeletion)
{
    ASSERT_TRUE(writeSettings(iniPath, makeSettings(3)));
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(("u" + std::to_string(n)).c_str(), "acct", "pw", "127.0.0.9")));
    startProgram();
    strcpy(theApp.lastStatus[1], "+OK 1 100");
    strcpy(theApp.lastStatus[2], "+OK 2 200");
    strcpy(theApp.lastStatus[3], "+OK 3 300");

    boxes.queueAnswers({IDYES});
    theApp.deleteAccount(0);
    EXPECT_EQ("DELETE DATA?? | DELETE DATA!!", boxes.captions());
    EXPECT_STREQ("+OK 2 200", theApp.lastStatus[1]);
    EXPECT_STREQ("+OK 3 300", theApp.lastStatus[2]);
    EXPECT_STREQ("", theApp.lastStatus[3]) << "free for the next account";
}
