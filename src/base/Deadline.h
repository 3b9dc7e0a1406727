// A moment a wait must end by, on the GetTickCount clock. Only differences
// are used, so its wrap after 49 days does no harm. Handed down as a point in
// time, it keeps a peer that trickles bytes from stretching a bound.
#pragma once
#include <windows.h>

class Deadline {
public:
    static Deadline inMs(DWORD ms) { return Deadline(GetTickCount() + ms); }
    static Deadline inSeconds(DWORD seconds) { return inMs(seconds * 1000); }

    DWORD remainingMs() const
    {
        LONG left = static_cast<LONG>(end_ - GetTickCount());
        return left > 0 ? static_cast<DWORD>(left) : 0;
    }
    Deadline earlier(const Deadline& other) const
    {
        return static_cast<LONG>(end_ - other.end_) <= 0 ? *this : other;
    }

private:
    explicit Deadline(DWORD end) : end_(end) {}
    DWORD end_;
};
