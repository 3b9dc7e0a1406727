// How the thread that owns the windows gives up on a conversation that runs
// on a worker: a flag every send looks at, which costs no system call, and
// an event every wait of the conversation also waits on.
#pragma once
#include <windows.h>

class AbandonSignal {
public:
    AbandonSignal() : event_(CreateEventW(NULL, TRUE, FALSE, NULL)), raised_(0) {}
    ~AbandonSignal()
    {
        if (event_)
            CloseHandle(event_);
    }
    AbandonSignal(const AbandonSignal&) = delete;
    AbandonSignal& operator=(const AbandonSignal&) = delete;

    bool ready() const { return event_ != NULL; }
    void raise()
    {
        InterlockedExchange(&raised_, 1);
        SetEvent(event_);
    }
    bool raised() const { return raised_ != 0; }
    HANDLE event() const { return event_; }

private:
    HANDLE        event_;
    volatile LONG raised_;
};
