#pragma once
#include <windows.h>

// Timer 0 of the main window drives the connection monitor and the interval.
const UINT_PTR kSchedulerTimer = 0;
const UINT kSchedulerPeriod = 3000;  // ms

void startSchedulerTimer(HWND window);
void stopSchedulerTimer(HWND window);
