// What LAN mode keeps between the scheduler's ticks: whether the network was
// there at the last one, whether the machine has slept since, the round that
// a return of the network or a wake owes, and the accounts that round left
// to try again. Times are milliseconds of a clock that counts on while the
// machine sleeps (GetTickCount64; tests give their own).
#pragma once
#include <cstdint>

struct LanWatch {
    // A tick of a running timer this late means the machine slept, or the
    // process was held: Modern Standby sends no power message for a sleep
    // that begins soon after boot or logon.
    static const uint64_t kSleepGapMs = 60000;
    // A wake is told twice (automatic, then with the user present) and seen
    // once more as a late tick: within this time it is the same wake.
    static const uint64_t kSameWakeMs = 60000;
    // Windows reports an adapter before its name server answers.
    static const unsigned kSettleMs = 2000;
    // A failure of the network in the owed round is tried once more then.
    static const uint64_t kRetryMs = 25000;

    enum class Network { unknown, present, absent };
    enum class Change { none, lost, back };

    uint64_t (*clock)() = nullptr;   // nullptr: the system's
    Network  network = Network::unknown;
    bool     ticked = false;
    uint64_t lastTick = 0;
    bool     wakeSeen = false;
    uint64_t lastWake = 0;
    // A return or a wake owes a round, run as soon as there is a network.
    bool     roundOwed = false;
    // The round under way is that round: failures of the network in it are
    // held back and tried once more.
    bool     lenientRound = false;
    // Bit n: account n, to try again at retryAt; while a retry runs, the
    // accounts it probes.
    uint16_t retryAccounts = 0;
    uint16_t roundAccounts = 0;      // 0: all
    uint64_t retryAt = 0;

    uint64_t now() const;
    // The first tick after the timer (re)starts only takes the time.
    void timerStarted() { ticked = false; }
    bool sleptBefore(uint64_t tick);
    // False for a wake already taken.
    bool woke(uint64_t at);
    Change see(bool present);

    void roundStarts(bool present);
    bool inRound(int account) const { return !roundAccounts || (roundAccounts >> account & 1); }
    // In the owed round a failure of the network is held back: true when the
    // account is to be tried again, without a box now.
    bool holdBack(int account);
    void roundEnded(uint64_t at);
    bool retryDue(uint64_t at) const { return retryAccounts && at >= retryAt; }
    void startRetry();
};
