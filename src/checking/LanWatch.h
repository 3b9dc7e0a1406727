// What LAN mode keeps between the scheduler's ticks: whether the network was
// there at the last one, the round that a return of the network or a wake
// owes, and the accounts that round left to try again. Times are
// milliseconds of a clock that counts on while the machine sleeps
// (GetTickCount64; tests give their own).
#pragma once
#include <windows.h>

#include <cstdint>

// Timer 2 of the main window: once, the short wait between the network's
// return (or a wake) and its round.
const UINT_PTR kSettleTimer = 2;

// The LAN box as the main window shows it, which may differ from the stored
// option while the settings window is open.
bool lanModeShown(HWND mainWindow);

class LanWatch {
public:
    // A wake is told twice (automatic, then with the user present) and seen
    // once more as a late tick: within this time it is the same wake.
    static const uint64_t kSameWakeMs = 60000;
    // Windows reports an adapter before its name server answers.
    static const unsigned kSettleMs = 2000;
    // A failure of the network in the owed round is tried once more then.
    static const uint64_t kRetryMs = 25000;

    enum class Change { none, lost, back };

    uint64_t now() const;
    // Tests' own clock; NULL for the system's.
    void setClock(uint64_t (*clock)()) { clock_ = clock; }

    // A return or a wake owes a round, run as soon as there is a network.
    bool roundOwed() const { return roundOwed_; }
    // False for a wake already taken.
    bool woke(uint64_t at);
    Change see(bool present);

    void roundStarts(bool present);
    bool inRound(int account) const { return !roundAccounts_ || (roundAccounts_ >> account & 1); }
    // In the owed round a failure of the network is held back: true when the
    // account is to be tried again, without a box now.
    bool holdBack(int account);
    void roundEnded(uint64_t at);
    bool retryDue(uint64_t at) const { return retryAccounts_ && at >= retryAt_; }
    void startRetry();

private:
    enum class Network { unknown, present, absent };

    uint64_t (*clock_)() = nullptr;
    Network  network_ = Network::unknown;
    bool     wakeSeen_ = false;
    uint64_t lastWake_ = 0;
    bool     roundOwed_ = false;
    // The round under way is the owed one: failures of the network in it
    // are held back and tried once more.
    bool     lenientRound_ = false;
    // Bit n: account n, to try again at retryAt_; while a retry runs, the
    // accounts it probes.
    uint16_t retryAccounts_ = 0;
    uint16_t roundAccounts_ = 0;      // 0: all
    uint64_t retryAt_ = 0;
};
