// The check round: from account to account, each probe started here and its
// end reported here, until no account is left or a report ends the round.
#include "checking/CheckRound.h"
#include "checking/NetworkFailure.h"
#include "checking/ProbeFailureBox.h"
#include "checking/net/NetworkPresence.h"
#include "checking/pop3/ServerAddress.h"
#include "config/FieldText.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"

#include <cstring>

namespace {

// The settings file can be edited by hand. A line break inside a command's
// argument would let a second command of the file's choosing reach the
// server, so such an account is not contacted at all.
bool hasLineBreak(const char* text)
{
    return strpbrk(text, "\r\n") != nullptr;
}

ProbedAccount probedAccountOf(int accountNumber, const AccountRecord& record)
{
    ProbedAccount account;
    account.number = accountNumber;
    fieldToWide(record.userName, account.userName);
    account.launchMailer = record.launchMailer != 0;
    fieldToWide(record.mailerPath, account.mailerPath);
    ServerAddress server;
    parseServerAddress(record.server, server);
    account.port = server.port;
    account.tls = server.tls;
    return account;
}

}  // namespace

CheckRound::CheckRound(SettingsStore& store, Scheduler& scheduler, MailReport& report, LanWatch& lan)
    : store_(store), scheduler_(scheduler), report_(report), lan_(lan), host_(), checking_(0), abandoned_(0),
      account_(0), worker_(NULL), serial_(0), probed_(), deferredCommand_(0), confirmedDeletion_(0), owed_(0)
{
}

void CheckRound::start()
{
    // A click during a round starts no second one, then or afterwards.
    if (checking_ == 1)
        return;
    checking_ = 1;
    scheduler_.stopTimer(host_.window);
    SetTimer(host_.window, kRoundWatchTimer, kRoundWatchPeriod, NULL);
    host_.setTrayIcon(IDI_CHECKING, Tip::checking);
    lan_.roundStarts(machineHasNetwork());
    account_ = 0;
    probeNextAccount();
}

// Starts the probe of the next account: its end goes on with the round
// (onProbeEnded). With no account left the round ends; so it does once the
// program is ending.
void CheckRound::probeNextAccount()
{
    // The count is read anew before every probe: an account may have been
    // registered meanwhile.
    while (!abandoned_ && ++account_ <= store_.settings().accountCount) {
        if (!lan_.inRound(account_))
            continue;
        if (probeAccount(account_))
            return;
        host_.setTrayIcon(IDI_CHECKING, Tip::checking);
    }
    end();
}

// False when the probe did not start; a box said why.
bool CheckRound::probeAccount(int accountNumber)
{
    store_.readAccountRecord(accountNumber);
    const AccountRecord& record = store_.workRecord();
    probed_ = probedAccountOf(accountNumber, record);
    if (hasLineBreak(store_.workAccount()) || hasLineBreak(store_.workPassword())) {
        showBox(NULL, Box::unsafeCredentials);
        return false;
    }
    worker_ = startProbe(record.server, store_.workAccount(), store_.workPassword(), host_.window, WM_PROBE_ENDED,
                         ++serial_);
    if (!worker_) {
        showBox(NULL, Box::winsockStartup);
        return false;
    }
    return true;
}

void CheckRound::onProbeEnded(WPARAM serial)
{
    // The word of a probe that was abandoned, or that the watch has ended
    // already, is not waited for.
    if (!worker_ || serial != serial_)
        return;
    Pop3Reply reply;
    bool loopbackServer = false;
    ProbeOutcome outcome = finishProbe(worker_, reply, &loopbackServer);
    worker_ = NULL;
    // The connection is closed by now: while a box waits for the user, the
    // mailbox is free for the mail program the report offers to start.
    AfterReport after = AfterReport::nextAccount;
    if (outcome == ProbeOutcome::mailboxRead)
        after = report_.reportStat(probed_, reply.text, store_.settings(), host_);
    else if (!holdsBackBox(outcome, loopbackServer))
        showProbeFailure(outcome, reply, probed_);
    if (after == AfterReport::endRound) {
        end();
        return;
    }
    // Takes back the "メール受信" icon a report may have shown.
    host_.setTrayIcon(IDI_CHECKING, Tip::checking);
    probeNextAccount();
}

bool CheckRound::holdsBackBox(ProbeOutcome outcome, bool loopbackServer)
{
    if (!isNetworkFailure(outcome, loopbackServer))
        return false;
    // Off the network nothing is the user's to fix. The ticks wait for the
    // round's end: what it sees now tells them the network was gone.
    if (!machineHasNetwork()) {
        lan_.see(false);
        return true;
    }
    return lan_.holdBack(account_);
}

// At a round's end in LAN mode. A network that came back while the round
// held the ticks is owed its round as well.
bool CheckRound::showsOffline()
{
    if (!host_.dialupOffline() || !lanModeShown(host_.window))
        return false;
    const bool present = machineHasNetwork();
    lan_.see(present);
    return !present;
}

void CheckRound::watch()
{
    if (worker_ && probeEnded(worker_))
        onProbeEnded(serial_);
}

void CheckRound::end()
{
    KillTimer(host_.window, kRoundWatchTimer);
    if (showsOffline())
        host_.setTrayIcon(IDI_OFFLINE, Tip::offline);
    else
        host_.setTrayIcon(IDI_ONLINE, Tip::online);
    lan_.roundEnded(lan_.now());
    scheduler_.restartCount();
    checking_ = 0;
    // The settings window, shown from the tray during the round, keeps the
    // timer stopped until it is closed.
    if (!IsWindowVisible(host_.window))
        scheduler_.startTimer(host_.window);
    if (!abandoned_) {
        // A deletion and a command that came during the round, now that no
        // probe reads the records they would change.
        if (confirmedDeletion_)
            PostMessageW(host_.window, WM_CONFIRMED_DELETION, static_cast<WPARAM>(confirmedDeletion_ - 1), 0);
        if (deferredCommand_)
            PostMessageW(host_.window, WM_COMMAND, deferredCommand_, 0);
        // A dial-up connection that came up meanwhile gets its round, as if
        // it had come up now.
        if (owed_)
            PostMessageW(host_.window, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        // So does a return of the network or a wake in LAN mode.
        else if (lan_.roundOwed() && lanModeShown(host_.window))
            SetTimer(host_.window, kSettleTimer, LanWatch::kSettleMs, NULL);
    }
    deferredCommand_ = 0;
    confirmedDeletion_ = 0;
    owed_ = 0;
}

void CheckRound::abandon()
{
    // Long enough for the worker to close its connection, which it does at
    // once; a fetch of a certificate cannot be stopped, and is not waited for.
    const DWORD kAbandonWaitMs = 500;
    abandoned_ = 1;
    if (worker_)
        abandonProbe(worker_, kAbandonWaitMs);
    worker_ = NULL;
}
