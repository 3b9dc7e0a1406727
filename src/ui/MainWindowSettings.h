// The settings as the main window shows them: loaded into its check boxes,
// interval and list at start-up, saved from them when it closes.
#pragma once
#include <windows.h>

// Start-up: a copy a save cut short left restored, and the settings file
// read as readSettingsFile reads it.
void loadSettings();
// The settings file into the program and the window: options, interval,
// count and list, and the boxes about what it holds. False, after a box
// owned by owner that names the file, when it cannot be read; nothing
// changes then. True at once when it has been read before. Nothing is
// written to the file until it has been read.
bool readSettingsFile(HWND owner);
// The window closed: its options saved (a box says so when they could not
// be; a file not read yet is read instead), the timer started again unless
// a round runs, the window hidden.
void saveSettings();
// The options as the window shows them, into the settings file.
bool saveOptions();
