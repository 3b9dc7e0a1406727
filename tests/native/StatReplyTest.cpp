#include "checking/pop3/StatReply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void expectCount(const char* reply, CountSource source, int count)
{
    StatCount got = countFromStatReply(reply);
    EXPECT_EQ(got.source, source) << '"' << reply << '"';
    EXPECT_EQ(got.count, count) << '"' << reply << '"';
}

TEST(StatCount, SecondWordIsTheCount)
{
    EXPECT_EQ(parseMessageCount("+OK 3 512"), 3);
    EXPECT_EQ(parseMessageCount("   +OK    17    9000"), 17);
    expectCount("+OK 3 1234\r\n", CountSource::secondWord, 3);
}

TEST(StatCount, OnlySpacesSplitWords)
{
    // A tab is part of the word: leading white space is skipped, a trailing
    // one ends the digits.
    EXPECT_EQ(parseMessageCount("+OK \t3 512"), 3);
    EXPECT_EQ(parseMessageCount("+OK 3\t512"), 3);
    EXPECT_EQ(parseMessageCount("+OK\t3 512"), 512);
    EXPECT_EQ(parseMessageCount("+OK 12abc 5"), 12);
}

TEST(StatCount, NoNumberGivesZero)
{
    EXPECT_EQ(parseMessageCount(""), 0);
    EXPECT_EQ(parseMessageCount("+OK"), 0);
    EXPECT_EQ(parseMessageCount("+OK "), 0);
    EXPECT_EQ(parseMessageCount("+OK + 5"), 0);
    EXPECT_EQ(parseMessageCount("+OK x7 5"), 0);
    expectCount("-ERR mailbox locked", CountSource::none, 0);
}

TEST(StatCount, SignAndRange)
{
    EXPECT_EQ(parseMessageCount("+OK +4 0"), 4);
    EXPECT_EQ(parseMessageCount("+OK -3 0"), 0);
    EXPECT_EQ(parseMessageCount("+OK 2147483647 0"), 2147483647);
    EXPECT_EQ(parseMessageCount("+OK 2147483648 0"), 0);
    EXPECT_EQ(parseMessageCount("+OK 0000000000000000000000042 0"), 42);
    std::string flood = "+OK " + std::string(60, '9') + " 1";
    EXPECT_EQ(parseMessageCount(flood.c_str()), 0);
    expectCount("+OK -3 0", CountSource::none, 0);
}

TEST(FourthWord, WordyRepliesCarryTheCountFourth)
{
    expectCount("+OK mailbox has 3 messages", CountSource::fourthWord, 3);
    expectCount("+OK you have 12 messages (4096 octets)", CountSource::fourthWord, 12);
    // The second word wins when it is a number.
    expectCount("+OK 5 has 3 messages", CountSource::secondWord, 5);
}

TEST(FourthWord, OnlyWhenAPositiveCountIsThere)
{
    expectCount("+OK mailbox has 0 messages", CountSource::none, 0);
    expectCount("+OK mailbox has 7 messages, 0 messages new", CountSource::none, 0);
    expectCount("+OK mailbox has -2 messages", CountSource::none, 0);
    expectCount("+OK mailbox has 3 letters", CountSource::none, 0);
    expectCount("+OK messages", CountSource::none, 0);
    // " 0 message" is a plain substring, so a count ending in 0 is not it.
    expectCount("+OK mailbox has 10 messages", CountSource::fourthWord, 10);
}

TEST(LoginMarkers, FoundAnywhereInTheReply)
{
    EXPECT_TRUE(isLoginAccepted("+OK Logged in."));
    EXPECT_TRUE(isLoginAccepted("welcome +OK"));
    EXPECT_FALSE(isLoginAccepted("+ok lower case"));
    EXPECT_TRUE(isLoginRefused("-ERR [AUTH] Authentication failed."));
    EXPECT_TRUE(isLoginRefused("+OK then -ERR"));
    EXPECT_FALSE(isLoginRefused("-ER"));
}

TEST(ChangeFilter, SameReplyIsUnchangedTheSecondTime)
{
    char slot[kStatusSlotLength] = {};
    EXPECT_FALSE(isUnchangedStatus(slot, "+OK 3 512"));
    EXPECT_STREQ(slot, "+OK 3 512");
    EXPECT_TRUE(isUnchangedStatus(slot, "+OK 3 512"));
    // A shorter reply must not keep the tail of the longer one.
    EXPECT_FALSE(isUnchangedStatus(slot, "+OK 3 5"));
    EXPECT_STREQ(slot, "+OK 3 5");
    EXPECT_FALSE(isUnchangedStatus(slot, "+OK 3 5 "));
}

TEST(ChangeFilter, LongReplyKeepsItsFirst31Bytes)
{
    std::string forty = "+OK 3 " + std::string(34, 'x');
    ASSERT_EQ(forty.size(), 40u);

    // Start from an unterminated slot: storing must terminate it.
    char slot[kStatusSlotLength];
    std::memset(slot, 'z', sizeof slot);
    EXPECT_FALSE(isUnchangedStatus(slot, forty.c_str()));
    ASSERT_EQ(slot[kStatusSlotLength - 1], '\0');
    EXPECT_EQ(std::string(slot), forty.substr(0, 31));
    EXPECT_TRUE(isUnchangedStatus(slot, forty.c_str()));
    // Only the first 31 bytes are compared, so a change after them is missed.
    EXPECT_TRUE(isUnchangedStatus(slot, (forty.substr(0, 31) + "yyy").c_str()));
}

TEST(ChangeFilter, EmptySlotAndEmptyReply)
{
    char slot[kStatusSlotLength] = {};
    EXPECT_TRUE(isUnchangedStatus(slot, ""));
    EXPECT_FALSE(isUnchangedStatus(slot, "+OK 0 0"));
    EXPECT_TRUE(isUnchangedStatus(slot, "+OK 0 0"));
    EXPECT_FALSE(isUnchangedStatus(slot, ""));
    EXPECT_STREQ(slot, "");
}

}  // namespace
