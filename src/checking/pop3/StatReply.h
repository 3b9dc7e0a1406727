// Reading a POP3 server's replies: login markers, the message count of a STAT
// reply, and the filter that keeps an unchanged mailbox from being reported
// twice. Plain text functions without platform calls, so that they build and
// can be fuzzed anywhere.
#pragma once
#include <cstddef>

const size_t kStatusSlotLength = 32;   // one slot of lastStatus, terminator included

bool replyContains(const char* reply, const char* marker);
bool isLoginAccepted(const char* passReply);   // "+OK" anywhere
bool isLoginRefused(const char* passReply);    // "-ERR" anywhere

// The count in the reply's second space-separated word. A word that is not a
// number, or a negative number, or one beyond 32 bits, gives 0.
int parseMessageCount(const char* reply);

// Where a reply's count comes from, if it has one worth reporting.
enum class CountSource { none, secondWord, fourthWord };
struct StatCount {
    CountSource source;
    int         count;
};
StatCount countFromStatReply(const char* reply);

// The change filter for one account. Answers true when the reply matches the
// one last seen (the first kStatusSlotLength - 1 bytes are compared);
// otherwise stores it in the slot and answers false.
bool isUnchangedStatus(char (&slot)[kStatusSlotLength], const char* reply);
