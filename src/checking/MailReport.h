// What a STAT reply makes of a round: only changes of a mailbox are news,
// unless the user asked to hear of every non-empty mailbox on every round.
// News is told in a box; after it the round ends, unless the user asked to
// hear of every account.
#pragma once
#include "checking/ProbedAccount.h"
#include "checking/RoundHost.h"
#include "checking/pop3/StatReply.h"
#include "config/Records.h"

// A slot for each of the accounts 1..kMaxAccounts; slot 0 is never used.
const int kStatusSlots = kMaxAccounts + 1;

enum class AfterReport { nextAccount, endRound };

class MailReport {
public:
    MailReport() : lastStatus_() {}

    // The STAT reply last seen for account accountNumber (1 to kMaxAccounts)
    // while only changes are reported; empty before the first.
    const char* lastStatus(int accountNumber) const { return lastStatus_[accountNumber]; }

    // Reports what the account's STAT reply tells, if it is news, with the
    // options as stored and as the main window shows them at that moment.
    AfterReport reportStat(const ProbedAccount& account, const char* reply, const SettingsRecord& settings,
                           const RoundHost& host);
    // Account deletedNumber of formerCount was deleted: each account after it
    // keeps its last reply as its record moves down one number, or it would
    // inherit the deleted one's and miss its own news.
    void moveSlotsDown(int deletedNumber, int formerCount);

private:
    char lastStatus_[kStatusSlots][kStatusSlotLength];
};
