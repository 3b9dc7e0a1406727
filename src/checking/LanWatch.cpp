// LAN mode's watch over the network, the wakes, and the round they owe.
#include "checking/LanWatch.h"
#include "resources/resource.h"

// Vista's: every Windows this program runs on has it, but the build declares
// only XP's functions.
extern "C" WINBASEAPI ULONGLONG WINAPI GetTickCount64(void);

uint64_t LanWatch::now() const
{
    return clock_ ? clock_() : GetTickCount64();
}

bool LanWatch::woke(uint64_t at)
{
    if (wakeSeen_ && at - lastWake_ < kSameWakeMs)
        return false;
    wakeSeen_ = true;
    lastWake_ = at;
    roundOwed_ = true;
    return true;
}

LanWatch::Change LanWatch::see(bool present)
{
    Network before = network_;
    network_ = present ? Network::present : Network::absent;
    if (!present)
        return before == Network::absent ? Change::none : Change::lost;
    if (before != Network::absent)
        return Change::none;
    roundOwed_ = true;
    return Change::back;
}

void LanWatch::roundStarts(bool present)
{
    lenientRound_ = false;
    if (roundAccounts_)
        return;
    // A whole round covers the accounts a retry would have tried.
    retryAccounts_ = 0;
    if (roundOwed_ && present) {
        roundOwed_ = false;
        lenientRound_ = true;
    }
}

bool LanWatch::holdBack(int account)
{
    if (!lenientRound_)
        return false;
    retryAccounts_ = static_cast<uint16_t>(retryAccounts_ | 1u << account);
    return true;
}

void LanWatch::roundEnded(uint64_t at)
{
    lenientRound_ = false;
    roundAccounts_ = 0;
    if (retryAccounts_)
        retryAt_ = at + kRetryMs;
}

void LanWatch::startRetry()
{
    roundAccounts_ = retryAccounts_;
    retryAccounts_ = 0;
}

bool lanModeShown(HWND mainWindow)
{
    return IsDlgButtonChecked(mainWindow, IDC_LAN_MODE) == BST_CHECKED;
}
