// The scheduler's timer, its count of seconds, and the gaps between its ticks.
#include "checking/Scheduler.h"
#include "resources/resource.h"

void Scheduler::startTimer(HWND window)
{
    // A stopped timer is no sleep of the machine.
    ticked_ = false;
    SetTimer(window, kSchedulerTimer, kSchedulerPeriod, NULL);
}

void Scheduler::stopTimer(HWND window)
{
    KillTimer(window, kSchedulerTimer);
}

bool Scheduler::tick(HWND window)
{
    elapsedSeconds_ += kSchedulerPeriod / 1000;
    int intervalMinutes = static_cast<int>(GetDlgItemInt(window, IDC_INTERVAL, NULL, TRUE));
    // Equality only: an interval lowered below the time already counted waits
    // for a round started some other way.
    return intervalMinutes != 0 && intervalMinutes * 60 == elapsedSeconds_;
}

bool Scheduler::sleptBefore(uint64_t now)
{
    bool slept = ticked_ && now - lastTick_ > kSleepGapMs;
    ticked_ = true;
    lastTick_ = now;
    return slept;
}
