// Texts as a person sees them: read from windows with the W functions and
// turned into Shift_JIS, the code page the tests' own literals are compiled
// to, whatever the code page the tests run under.
#pragma once
#include <windows.h>

#include <string>

std::string shiftJis(const wchar_t* text);
std::wstring fromShiftJis(const std::string& text);

// What a window shows, asked of the window itself (WM_GETTEXT), which also
// works for windows and controls of other processes.
std::string windowTextOf(HWND window);
