#pragma once
#include <windows.h>

// Timer 0 of the main window drives the connection monitor and the interval.
const UINT_PTR kSchedulerTimer = 0;
const UINT kSchedulerPeriod = 3000;  // ms
// Timer 1: once, the short wait between the network's return and its round.
const UINT_PTR kSettleTimer = 1;

void startSchedulerTimer(HWND window);
void stopSchedulerTimer(HWND window);
