// Showing a box of Messages.h: its text, caption and style, with its owner.
#pragma once
#include "resources/Messages.h"

// Shows a box and answers the button pressed. owner may be NULL.
int showBox(HWND owner, const BoxText& box);
// The same with box.text as a wsprintf format of a name (%s) and up to two
// numbers (%d).
int showFormattedBox(HWND owner, const BoxText& box, const wchar_t* name, int first = 0, int second = 0);
// The same with up to three names.
int showFormattedBox(HWND owner, const BoxText& box, const wchar_t* name, const wchar_t* secondName,
                     const wchar_t* thirdName);
