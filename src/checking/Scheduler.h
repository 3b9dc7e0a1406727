// When mail is checked by the clock: timer 0 of the main window every 3
// seconds, and the seconds counted towards the user's interval.
#pragma once
#include <windows.h>

// Timer 0 of the main window drives the connection monitor and the interval.
const UINT_PTR kSchedulerTimer = 0;
const UINT kSchedulerPeriod = 3000;  // ms

class Scheduler {
public:
    Scheduler() : elapsedSeconds_(0) {}

    // Seconds counted since the last round ended.
    LONG elapsedSeconds() const { return elapsedSeconds_; }

    void startTimer(HWND window);
    void stopTimer(HWND window);
    // One step of the count; true when a round is due: the count has met the
    // interval the window shows (in minutes; 0 is never).
    bool tick(HWND window);
    // A round has ended: the count starts from 0.
    void restartCount() { elapsedSeconds_ = 0; }

private:
    LONG elapsedSeconds_;
};
