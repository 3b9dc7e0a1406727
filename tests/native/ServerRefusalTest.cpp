#include "checking/ServerRefusal.h"

#include <gtest/gtest.h>

namespace {

// What servers answer USER with on a connection without encryption, and
// refusals that say something else.
TEST(ServerRefusal, APlainTextLoginRefusedIsToldFromOtherRefusals)
{
    const struct {
        const char* reply;
        bool plainText;
    } cases[] = {
        {"-ERR [AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections.\r\n", true},
        {"-ERR Plaintext authentication disallowed on non-secure (SSL/TLS) connections.\r\n", true},
        {"-ERR [AUTH] Use SSL.\r\n", true},
        {"-ERR Must issue a STARTTLS command first.\r\n", true},
        {"-ERR [AUTH] USER command only available under a layer\r\n", true},
        {"-ERR [AUTH] Authentication failed.\r\n", false},
        {"-ERR [SYS/TEMP] Try again later\r\n", false},
        {"+OK Plaintext is fine here, STLS too\r\n", false},
        {"-ERR [AUTHx] tls\r\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.plainText, refusesPlainText(c.reply)) << c.reply;
}

TEST(ServerRefusal, CodesInBracketsRightAfterErr)
{
    EXPECT_EQ(RefusalCode::inUse, refusalCodeOf("-ERR [IN-USE] Mailbox locked\r\n"));
    EXPECT_EQ(RefusalCode::loginDelay, refusalCodeOf("-ERR [login-delay] Wait\r\n"));
    EXPECT_EQ(RefusalCode::temporary, refusalCodeOf("-ERR [SYS/TEMP] Busy\r\n"));
    EXPECT_EQ(RefusalCode::temporary, refusalCodeOf("-ERR [SYS/TEMP/DB] Busy\r\n"));
    EXPECT_EQ(RefusalCode::none, refusalCodeOf("-ERR [SYS/PERM] Gone\r\n"));
    EXPECT_EQ(RefusalCode::none, refusalCodeOf("-ERR Mailbox [IN-USE]\r\n"));
    EXPECT_EQ(RefusalCode::none, refusalCodeOf("-ERR [IN-USE\r\n"));
}

TEST(ServerRefusal, TheServersWordsArePrintableAsciiOnOneLineAndCut)
{
    char words[kServerWordsLength + 1];
    const char withNul[] = "-ERR a\x00" "b\tc\xE9\x81\x7F\r\n";
    EXPECT_FALSE(serverWordsOf(withNul, sizeof withNul - 1, words));
    EXPECT_STREQ("a?b?c???", words);

    EXPECT_FALSE(serverWordsOf("-ERR\r\n", 6, words));
    EXPECT_STREQ("", words);
    EXPECT_FALSE(serverWordsOf("-ERRno blank\n", 13, words));
    EXPECT_STREQ("no blank", words);
    EXPECT_FALSE(serverWordsOf("* ready\r\n", 9, words)) << "a reply without -ERR is shown whole";
    EXPECT_STREQ("* ready", words);

    std::string longest = "-ERR " + std::string(kServerWordsLength, 'w') + "\r\n";
    EXPECT_FALSE(serverWordsOf(longest.c_str(), longest.size(), words));
    EXPECT_TRUE(serverWordsOf(("-ERR x" + longest.substr(5)).c_str(), longest.size() + 1, words));
    EXPECT_EQ("x" + std::string(kServerWordsLength - 1, 'w'), words);
}

}  // namespace
