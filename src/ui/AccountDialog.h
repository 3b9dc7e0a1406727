#pragma once
#include <windows.h>

INT_PTR CALLBACK accountDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
