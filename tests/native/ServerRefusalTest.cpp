#include "checking/pop3/ServerRefusal.h"

#include <gtest/gtest.h>

namespace {

// Refusals as servers send them: a login refused without encryption is told
// from the others, and a reason code counts only in brackets right after -ERR.
TEST(ServerRefusal, WhatARefusalSays)
{
    const struct {
        const char* reply;
        bool plainText;
        RefusalCode code;
    } rows[] = {
        {"-ERR Plaintext authentication disallowed on non-secure (SSL/TLS) connections.\r\n", true, RefusalCode::none},
        {"-ERR [AUTH] Use SSL.\r\n", true, RefusalCode::none},
        {"-ERR Must issue a STARTTLS command first.\r\n", true, RefusalCode::none},
        {"-ERR [AUTH] USER command only available under a layer\r\n", true, RefusalCode::none},
        {"-ERR [AUTH] Authentication failed.\r\n", false, RefusalCode::none},
        {"+OK Plaintext is fine here, STLS too\r\n", false, RefusalCode::none},
        {"-ERR [AUTHx] tls\r\n", false, RefusalCode::none},
        {"-ERR [in-use] Mailbox locked\r\n", false, RefusalCode::inUse},
        {"-ERR [LOGIN-DELAY] Wait\r\n", false, RefusalCode::loginDelay},
        {"-ERR [SYS/TEMP/DB] Busy\r\n", false, RefusalCode::temporary},
        {"-ERR [SYS/PERM] Gone\r\n", false, RefusalCode::none},
        {"-ERR Mailbox [IN-USE]\r\n", false, RefusalCode::none},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.plainText, refusesPlainText(row.reply)) << row.reply;
        EXPECT_EQ(row.code, refusalCodeOf(row.reply)) << row.reply;
    }
}

}  // namespace
