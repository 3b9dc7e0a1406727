// A check round: every account probed in turn, each probe on a worker so
// that the window's thread takes its messages meanwhile. The round goes on
// from account to account as each probe's end is posted to the main window,
// and ends early when a report says so.
#pragma once
#include "checking/LanWatch.h"
#include "checking/MailReport.h"
#include "checking/ProbeWorker.h"
#include "checking/ProbedAccount.h"
#include "checking/RoundHost.h"
#include "checking/Scheduler.h"
#include "config/SettingsStore.h"

// Timer 1 of the main window runs while a round does: it looks whether the
// probe under way has ended, for a worker's message can be lost (a full
// message queue refuses it) and without it the round would never end.
const UINT_PTR kRoundWatchTimer = 1;
const UINT kRoundWatchPeriod = 1000;  // ms

class CheckRound {
public:
    CheckRound(SettingsStore& store, Scheduler& scheduler, MailReport& report, LanWatch& lan);

    // The main window and the tray: set by the app once the window exists.
    void setHost(const RoundHost& host) { host_ = host; }

    // 1 while a round runs.
    BYTE checking() const { return checking_; }

    // A round over every account, unless one runs already.
    void start();
    // The worker's message, WM_PROBE_ENDED with the serial number its probe
    // was given: the probe under way has ended.
    void onProbeEnded(WPARAM serial);
    // The round's own timer: a probe that has ended is noticed even when its
    // message never came.
    void watch();
    // A command that would move records under a probe, carried out once the
    // round has ended (posted to the main window).
    void deferCommand(WORD commandId) { deferredCommand_ = commandId; }
    // A deletion the user confirmed while the round ran (the box lets the
    // tray and the timer start one): posted back at the round's end as
    // WM_CONFIRMED_DELETION with the list line.
    void deferDeletion(int listLine) { confirmedDeletion_ = listLine + 1; }
    // A dial-up connection came up during the round: another round follows it.
    void oweRound() { owed_ = 1; }
    // The program is ending: the probe under way closes its connection at
    // once, nothing more is sent, no box follows and no other probe starts.
    void abandon();

private:
    bool probeAccount(int accountNumber);
    void probeNextAccount();
    bool holdsBackBox(ProbeOutcome outcome, bool loopbackServer);
    bool showsOffline();
    void end();

    SettingsStore& store_;
    Scheduler&     scheduler_;
    MailReport&    report_;
    LanWatch&      lan_;
    RoundHost      host_;
    BYTE           checking_;
    BYTE           abandoned_;
    int            account_;           // the account the round is at
    ProbeWorker*   worker_;            // its probe; NULL while none runs
    // The probe's serial number: a probe the watch has ended may still post
    // its message while the next one runs.
    WPARAM         serial_;
    ProbedAccount  probed_;            // what that probe's report needs of its account
    WORD           deferredCommand_;
    int            confirmedDeletion_;   // its list line + 1; 0 for none
    BYTE           owed_;
};
