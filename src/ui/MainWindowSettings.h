// The settings as the main window shows them: loaded into its check boxes,
// interval and list at start-up, saved from them when it closes.
#pragma once

// Start-up: the settings file read (and restored, where a save was cut
// short), its options and accounts shown, and what start-up has to say of
// the file told in boxes once the window is complete.
void loadSettings();
// The window closed: its options saved (a box says so when they could not
// be), the timer started again unless a round runs, the window hidden.
void saveSettings();
// The options as the window shows them, into the settings file.
bool saveOptions();
