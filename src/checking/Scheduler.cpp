// When mail is checked: the 3-second timer follows the dial-up connection and
// counts the seconds towards the user's interval; a round probes every account.
#include "app/MailCheckerApp.h"
#include "checking/MailboxCheck.h"
#include "checking/NetworkPresence.h"
#include "checking/Scheduler.h"
#include "resources/Messages.h"
#include "resources/resource.h"

void startSchedulerTimer(HWND window)
{
    // A stopped timer is no sleep of the machine.
    theApp.lan.timerStarted();
    SetTimer(window, kSchedulerTimer, kSchedulerPeriod, NULL);
}

void stopSchedulerTimer(HWND window)
{
    KillTimer(window, kSchedulerTimer);
}

void MailCheckerApp::onTimer()
{
    const bool slept = lan.sleptBefore(lan.now());
    if (isDialupConnected()) {
        // A connection that has just come up is handled like a click on the
        // icon: a round at once, and no tick on this message. During a round
        // (start-up's tick comes during the LAN round) its round follows.
        if (!goOnline())
            tick();
        else if (checking)
            roundOwed = 1;
        else
            SendMessageW(mainWindow, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        return;
    }
    if (goOffline()) {
        setTrayIcon(IDI_OFFLINE, Tip::offline);
        return;
    }
    if (isChecked(IDC_LAN_MODE))
        lanTick(slept);
}

// A click on the icon, or "巡回" in its menu, asks for a round; one runs only
// while connected or in LAN mode.
void MailCheckerApp::requestRound()
{
    // Until the settings file is read, the accounts and LAN mode are not known.
    if (!readSettingsFile(NULL))
        return;
    if (isDialupConnected() || isChecked(IDC_LAN_MODE))
        checkRound();
}

void MailCheckerApp::tick()
{
    elapsedSeconds += kSchedulerPeriod / 1000;
    int intervalMinutes = static_cast<int>(GetDlgItemInt(mainWindow, IDC_INTERVAL, NULL, TRUE));
    // Equality only: an interval lowered below the time already counted waits
    // for a round started some other way.
    if (intervalMinutes != 0 && intervalMinutes * 60 == elapsedSeconds)
        checkRound();
}

void MailCheckerApp::checkRound()
{
    // A click during a round starts no second one, then or afterwards.
    if (checking == 1)
        return;
    checking = 1;
    stopSchedulerTimer(mainWindow);
    SetTimer(mainWindow, kRoundWatchTimer, kRoundWatchPeriod, NULL);
    setTrayIcon(IDI_CHECKING, Tip::checking);
    lan.roundStarts(machineHasNetwork());
    roundAccount = 0;
    probeNextAccount();
}

// Starts the probe of the next account: its conversation's end goes on with
// the round (onMailboxChecked). With no account left the round ends; so it
// does once "終了" was chosen while a box was up.
void MailCheckerApp::probeNextAccount()
{
    // The count is read anew before every probe: an account may have been
    // registered meanwhile.
    while (!quitRequested && ++roundAccount <= settings.accountCount) {
        if (!lan.inRound(roundAccount))
            continue;
        if (probeAccount(roundAccount))
            return;
        setTrayIcon(IDI_CHECKING, Tip::checking);
    }
    endRound();
}

void MailCheckerApp::onMailboxChecked(WPARAM serial)
{
    // The word of a conversation that was abandoned is not waited for.
    if (!runningCheck || serial != checkSerial)
        return;
    Pop3Reply statReply;
    bool loopbackServer = false;
    ProbeOutcome outcome = finishMailboxCheck(runningCheck, statReply, &loopbackServer);
    runningCheck = NULL;
    if (!holdsBackBox(outcome, loopbackServer) && reportProbe(outcome, statReply) == 1) {
        endRound();
        return;
    }
    // Takes back the "メール受信" icon a report may have shown.
    setTrayIcon(IDI_CHECKING, Tip::checking);
    probeNextAccount();
}

// A worker's message can be lost (a full message queue refuses it); its
// finished event cannot, and without one or the other the round would never end.
void MailCheckerApp::watchRound()
{
    if (runningCheck && mailboxCheckEnded(runningCheck))
        onMailboxChecked(checkSerial);
}

void MailCheckerApp::endRound()
{
    KillTimer(mainWindow, kRoundWatchTimer);
    if (showsOffline())
        setTrayIcon(IDI_OFFLINE, Tip::offline);
    else
        setTrayIcon(IDI_ONLINE, Tip::online);
    lan.roundEnded(lan.now());
    elapsedSeconds = 0;
    checking = 0;
    // The settings window, shown from the tray during the round, keeps the
    // timer stopped until it is closed.
    if (!IsWindowVisible(mainWindow))
        startSchedulerTimer(mainWindow);
    if (!quitRequested) {
        // A deletion and a list command that came during the round, now that
        // no probe reads the records they would change.
        if (confirmedDeletion)
            PostMessageW(mainWindow, WM_CONFIRMED_DELETION, static_cast<WPARAM>(confirmedDeletion - 1), 0);
        if (deferredListCommand)
            PostMessageW(mainWindow, WM_COMMAND, deferredListCommand, 0);
        // A dial-up connection that came up meanwhile gets its round, as if
        // it had come up now.
        if (roundOwed)
            PostMessageW(mainWindow, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        // So does a return of the network or a wake in LAN mode.
        else if (lan.roundOwed && isChecked(IDC_LAN_MODE))
            SetTimer(mainWindow, kSettleTimer, LanWatch::kSettleMs, NULL);
    }
    deferredListCommand = 0;
    confirmedDeletion = 0;
    roundOwed = 0;
}

void MailCheckerApp::abandonRound()
{
    // Long enough for the worker to close its connection, which it does at
    // once; a fetch of a certificate cannot be stopped, and is not waited for.
    const DWORD kAbandonWaitMs = 500;
    if (runningCheck)
        abandonMailboxCheck(runningCheck, kAbandonWaitMs);
    runningCheck = NULL;
}
