#pragma once
#include <windows.h>

// Timer 0 of the main window drives the connection monitor and the interval.
const UINT_PTR kSchedulerTimer = 0;
const UINT kSchedulerPeriod = 3000;  // ms
// Timer 1 runs while a round does: it looks whether the conversation under
// way has ended.
const UINT_PTR kRoundWatchTimer = 1;
const UINT kRoundWatchPeriod = 1000;  // ms
// Timer 2: once, the short wait between the network's return and its round.
const UINT_PTR kSettleTimer = 2;

void startSchedulerTimer(HWND window);
void stopSchedulerTimer(HWND window);
