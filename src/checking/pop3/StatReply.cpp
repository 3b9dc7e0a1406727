// Login markers, the count of a STAT reply, and the change filter.
#include "checking/pop3/StatReply.h"

#include <climits>
#include <cstring>

namespace {

struct Word {
    const char* begin;
    const char* end;
};

// The n-th (1-based) word of a reply, splitting at the space character only;
// runs of spaces count as one separator. An empty word when there is none.
Word replyWord(const char* reply, int n)
{
    const char* p = reply;
    for (int i = 1;; ++i) {
        while (*p == ' ')
            ++p;
        const char* begin = p;
        while (*p != '\0' && *p != ' ')
            ++p;
        if (begin == p || i == n)
            return Word{begin, p};
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A word read as a number of messages: optional white space, optional sign,
// decimal digits up to the first other character. No digits read as 0; a
// negative value or one beyond INT_MAX is no count at all and also gives 0.
int wordAsCount(Word word)
{
    const char* p = word.begin;
    while (p < word.end && isBlank(*p))
        ++p;
    bool negative = false;
    if (p < word.end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; p < word.end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX)
            return 0;
    }
    return negative ? 0 : static_cast<int>(value);
}

}  // namespace

bool replyContains(const char* reply, const char* marker)
{
    return strstr(reply, marker) != nullptr;
}

bool isLoginAccepted(const char* passReply) { return replyContains(passReply, "+OK"); }
bool isLoginRefused(const char* passReply) { return replyContains(passReply, "-ERR"); }

int parseMessageCount(const char* reply)
{
    return wordAsCount(replyWord(reply, 2));
}

StatCount countFromStatReply(const char* reply)
{
    int count = parseMessageCount(reply);
    if (count != 0)
        return StatCount{CountSource::secondWord, count};
    // Some servers answer in words, with the number fourth:
    // "+OK mailbox has 3 messages".
    if (replyContains(reply, "message") && !replyContains(reply, " 0 message")) {
        count = wordAsCount(replyWord(reply, 4));
        if (count > 0)
            return StatCount{CountSource::fourthWord, count};
    }
    return StatCount{CountSource::none, 0};
}

bool isUnchangedStatus(char (&slot)[kStatusSlotLength], const char* reply)
{
    const size_t compared = kStatusSlotLength - 1;
    if (strncmp(slot, reply, compared) == 0)
        return true;
    strncpy(slot, reply, compared);
    slot[compared] = '\0';
    return false;
}
