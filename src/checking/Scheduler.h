// When mail is checked by the clock: timer 0 of the main window every 3
// seconds, and the seconds counted towards the user's interval.
#pragma once
#include <windows.h>

#include <cstdint>

// Timer 0 of the main window drives the connection monitor and the interval.
const UINT_PTR kSchedulerTimer = 0;
const UINT kSchedulerPeriod = 3000;  // ms

class Scheduler {
public:
    // A tick of the running timer this late means the machine slept, or the
    // process was held: Modern Standby sends no power message for a sleep
    // that begins soon after boot or logon.
    static const uint64_t kSleepGapMs = 60000;

    Scheduler() : elapsedSeconds_(0), ticked_(false), lastTick_(0) {}

    // Seconds counted since the last round ended.
    LONG elapsedSeconds() const { return elapsedSeconds_; }

    void startTimer(HWND window);
    void stopTimer(HWND window);
    // One step of the count; true when a round is due: the count has met the
    // interval the window shows (in minutes; 0 is never).
    bool tick(HWND window);
    // A round has ended: the count starts from 0.
    void restartCount() { elapsedSeconds_ = 0; }
    // Whether the machine has slept since the last tick, now on LanWatch's
    // clock; the first tick after the timer (re)starts only takes the time.
    bool sleptBefore(uint64_t now);

private:
    LONG     elapsedSeconds_;
    bool     ticked_;
    uint64_t lastTick_;
};
