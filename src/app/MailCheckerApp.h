// The program: a dial-up tray program that checks POP3 mailboxes. Its state
// lives in the parts of the one static instance, theApp, each part kept in
// the folder of its subsystem and changed only through its own functions.
#pragma once
#include "app/DialupTrayApp.h"
#include "checking/CheckRound.h"
#include "checking/MailReport.h"
#include "checking/Scheduler.h"
#include "config/SettingsStore.h"

class MailCheckerApp : public DialupTrayApp {
public:
    SettingsStore store;       // the settings and the account read last
    Scheduler     scheduler;   // the timer and the seconds counted towards the interval
    MailReport    report;      // the last STAT reply of each account
    CheckRound    round;       // the round under way
    LONG          accountDialogResult;
    BYTE          editMode;    // 1 while the account dialog edits a stored record

    MailCheckerApp() : round(store, scheduler, report), accountDialogResult(0), editMode(0) {}

    // Start-up, the message loop, and the quit message's code at the end.
    int run(HINSTANCE instance);
    // Start-up's steps: the settings file beside the program (false after a
    // box when its path is too long), then, after the single-instance claim,
    // the hidden main window, the tray icon, the timer and the settings
    // loaded into the window.
    bool findSettingsFile();
    bool openMainWindow(HINSTANCE instance);

    // Every 3 seconds: the dial-up connection followed, the interval counted.
    void onTimer();
    // A click on the icon, or "巡回": a round while connected or in LAN mode.
    void requestRound();

    // Ending: "終了", and the session ending (log-off, shut-down)
    void exitProgram(int exitCode);
    void endSession();

    // Main window
    void loadSettings();
    void saveSettings();
    bool saveOptions();
    bool isChecked(int controlId);

    // Account list
    void refreshAccountList();
    void newAccount();
    void editAccount();
    void deleteAccount(int selection);

    // Account dialog
    void initAccountDialog(HWND dialog);
    void chooseMailProgram(HWND dialog);
    bool registerAccount(HWND dialog);
};

extern MailCheckerApp theApp;
