// LAN mode on a laptop: quiet while the network is gone, a round as soon as
// it is back and after waking, and one more try for what failed on a
// network that had only just come.
#include "app/MailCheckerApp.h"
#include "checking/NetworkFailure.h"
#include "checking/NetworkPresence.h"
#include "checking/Scheduler.h"
#include "resources/Messages.h"
#include "resources/resource.h"

// A tick in LAN mode without a dial-up connection.
void MailCheckerApp::lanTick(bool slept)
{
    const uint64_t now = lan.now();
    if (slept)
        lan.woke(now);
    const bool present = machineHasNetwork();
    // During a round the icon says "チェック中"; the round's end looks again.
    if (lan.see(present) == LanWatch::Change::lost && !checking)
        setTrayIcon(IDI_OFFLINE, Tip::offline);
    if (present && lan.roundOwed)
        SetTimer(mainWindow, kSettleTimer, LanWatch::kSettleMs, NULL);
    if (present && lan.retryDue(now) && !checking) {
        lan.startRetry();
        checkRound();
        return;
    }
    tick();
}

// Windows tells a wake twice, the second time only when a user is there.
void MailCheckerApp::onPowerBroadcast(WPARAM event)
{
    if (event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND)
        return;
    if (isChecked(IDC_LAN_MODE) && lan.woke(lan.now()) && machineHasNetwork())
        SetTimer(mainWindow, kSettleTimer, LanWatch::kSettleMs, NULL);
}

void MailCheckerApp::onSettleTimer()
{
    KillTimer(mainWindow, kSettleTimer);
    // A round under way takes the owed one up when it ends; the settings
    // window, when it is closed; a network gone again, when it is back.
    if (!lan.roundOwed || checking || IsWindowVisible(mainWindow) || !isChecked(IDC_LAN_MODE) ||
        !machineHasNetwork())
        return;
    checkRound();
}

bool MailCheckerApp::holdsBackBox(ProbeOutcome outcome, bool loopbackServer)
{
    if (!isNetworkFailure(outcome, loopbackServer))
        return false;
    // Off the network nothing is the user's to fix. The ticks wait for the
    // round's end: what it sees now tells them the network was gone.
    if (!machineHasNetwork()) {
        lan.see(false);
        return true;
    }
    return lan.holdBack(roundAccount);
}

// At a round's end in LAN mode. A network that came back while the round
// held the ticks is owed its round as well.
bool MailCheckerApp::showsOffline()
{
    if (!offline || !isChecked(IDC_LAN_MODE))
        return false;
    const bool present = machineHasNetwork();
    lan.see(present);
    return !present;
}
