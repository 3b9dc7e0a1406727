// The main window (dialog 101): the settings window, and the hub through
// which every event of the program arrives.
#pragma once
#include <windows.h>

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
