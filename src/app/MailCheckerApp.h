// The program: a dial-up tray program that checks POP3 mailboxes. Its state
// lives in the parts of the one static instance, theApp, each part kept in
// the folder of its subsystem and changed only through its own functions.
#pragma once
#include "app/DialupTrayApp.h"
#include "checking/CheckRound.h"
#include "checking/LanWatch.h"
#include "checking/MailReport.h"
#include "checking/Scheduler.h"
#include "config/SettingsStore.h"
#include "ui/AccountList.h"

class MailCheckerApp : public DialupTrayApp {
public:
    SettingsStore store;         // the settings and the account read last
    Scheduler     scheduler;     // the timer and the seconds counted towards the interval
    MailReport    report;        // the last STAT reply of each account
    LanWatch      lan;           // LAN mode: the network and the machine's wakes between ticks
    CheckRound    round;         // the round under way
    AccountList   accountList;   // the list's state while the account dialog is open

    MailCheckerApp() : round(store, scheduler, report, lan) {}

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
    // LAN mode on a laptop: a tick without a dial-up connection, a wake, and
    // the settle timer after the network's return or a wake.
    void lanTick(bool slept);
    void onPowerBroadcast(WPARAM event);
    void onSettleTimer();

    // Ending: "終了", and the session ending (log-off, shut-down)
    void exitProgram(int exitCode);
    void endSession();
};

extern MailCheckerApp theApp;
