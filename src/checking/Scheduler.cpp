// When mail is checked: the 3-second timer follows the dial-up connection and
// counts the seconds towards the user's interval; a round probes every account.
#include "app/MailCheckerApp.h"
#include "checking/Scheduler.h"
#include "resources/Messages.h"
#include "resources/resource.h"

void startSchedulerTimer(HWND window)
{
    SetTimer(window, kSchedulerTimer, kSchedulerPeriod, NULL);
}

void stopSchedulerTimer(HWND window)
{
    KillTimer(window, kSchedulerTimer);
}

void MailCheckerApp::onTimer()
{
    if (isDialupConnected()) {
        // A connection that has just come up is handled like a click on the
        // icon: a round at once, and no tick on this message.
        if (goOnline())
            SendMessageW(mainWindow, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        else
            tick();
        return;
    }
    if (goOffline()) {
        setTrayIcon(IDI_OFFLINE, Tip::offline);
        return;
    }
    if (isChecked(IDC_LAN_MODE))
        tick();
}

// A click on the icon, or "巡回" in its menu, asks for a round; one runs only
// while connected or in LAN mode.
void MailCheckerApp::requestRound()
{
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
    // Boxes shown during a round let tray clicks in; they must not start a
    // round inside this one.
    if (checking == 1)
        return;
    checking = 1;
    stopSchedulerTimer(mainWindow);
    setTrayIcon(IDI_CHECKING, Tip::checking);

    // "終了" chosen while a box was up ends the round before the next account.
    for (int n = 1; n <= settings.accountCount && !quitRequested; ++n) {
        if (probeAccount(n) == 1)
            break;
        setTrayIcon(IDI_CHECKING, Tip::checking);
    }

    setTrayIcon(IDI_ONLINE, Tip::online);
    elapsedSeconds = 0;
    checking = 0;
    // The settings window, shown from the tray during the round, keeps the
    // timer stopped until it is closed.
    if (!IsWindowVisible(mainWindow))
        startSchedulerTimer(mainWindow);
    // A list command that came during the round, now that no probe reads
    // the records it would change.
    if (deferredListCommand && !quitRequested)
        PostMessageW(mainWindow, WM_COMMAND, deferredListCommand, 0);
    deferredListCommand = 0;
}
