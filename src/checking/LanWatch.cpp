#include "checking/LanWatch.h"

#include <windows.h>

// Vista's: every Windows this program runs on has it, but the build declares
// only XP's functions.
extern "C" WINBASEAPI ULONGLONG WINAPI GetTickCount64(void);

uint64_t LanWatch::now() const
{
    return clock ? clock() : GetTickCount64();
}

bool LanWatch::sleptBefore(uint64_t tick)
{
    bool slept = ticked && tick - lastTick > kSleepGapMs;
    ticked = true;
    lastTick = tick;
    return slept;
}

bool LanWatch::woke(uint64_t at)
{
    if (wakeSeen && at - lastWake < kSameWakeMs)
        return false;
    wakeSeen = true;
    lastWake = at;
    roundOwed = true;
    return true;
}

LanWatch::Change LanWatch::see(bool present)
{
    Network before = network;
    network = present ? Network::present : Network::absent;
    if (!present)
        return before == Network::absent ? Change::none : Change::lost;
    if (before != Network::absent)
        return Change::none;
    roundOwed = true;
    return Change::back;
}

void LanWatch::roundStarts(bool present)
{
    lenientRound = false;
    if (roundAccounts)
        return;
    // A whole round covers the accounts a retry would have tried.
    retryAccounts = 0;
    if (roundOwed && present) {
        roundOwed = false;
        lenientRound = true;
    }
}

bool LanWatch::holdBack(int account)
{
    if (!lenientRound)
        return false;
    retryAccounts = static_cast<uint16_t>(retryAccounts | 1u << account);
    return true;
}

void LanWatch::roundEnded(uint64_t at)
{
    lenientRound = false;
    roundAccounts = 0;
    if (retryAccounts)
        retryAt = at + kRetryMs;
}

void LanWatch::startRetry()
{
    roundAccounts = retryAccounts;
    retryAccounts = 0;
}
