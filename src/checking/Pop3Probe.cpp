// Checking one account: log in over POP3 with USER and PASS, ask STAT, log out
// with QUIT, then tell the user. Nothing is ever retrieved or deleted. The
// conversation runs on a worker thread; this side starts it and, once it has
// ended, shows its outcome.
#include "app/MailCheckerApp.h"
#include "checking/MailboxCheck.h"
#include "config/FieldText.h"
#include "resources/Messages.h"

#include <cstring>

namespace {

// The settings file can be edited by hand. A line break inside a command's
// argument would let a second command of the file's choosing reach the
// server, so such an account is not contacted at all.
bool hasLineBreak(const char* text)
{
    return strpbrk(text, "\r\n") != nullptr;
}

const BoxText& boxFor(ProbeOutcome outcome)
{
    switch (outcome) {
    case ProbeOutcome::winsockFailed:           return Box::winsockStartup;
    case ProbeOutcome::serverNotFound:          return Box::serverNotFound;
    case ProbeOutcome::socketFailed:            return Box::socketOpen;
    case ProbeOutcome::connectFailed:           return Box::connectFailed;
    case ProbeOutcome::replyTooLong:            return Box::replyTooLong;
    case ProbeOutcome::connectionClosed:        return Box::connectionClosed;
    case ProbeOutcome::tlsFailed:               return Box::tlsFailed;
    case ProbeOutcome::certificateUntrusted:    return Box::certificateUntrusted;
    case ProbeOutcome::certificateWrongName:    return Box::certificateWrongName;
    case ProbeOutcome::certificateNotTimeValid: return Box::certificateNotTimeValid;
    case ProbeOutcome::loginRefused:            return Box::loginRefused;
    case ProbeOutcome::loginUnexpected:         return Box::loginUnexpected;
    case ProbeOutcome::timedOut:
    case ProbeOutcome::mailboxRead:
    case ProbeOutcome::abandoned:               break;
    }
    return Box::serverTimeout;
}

}  // namespace

bool MailCheckerApp::probeAccount(int accountNumber)
{
    readAccountRecord(accountNumber);
    probedAccount.number = accountNumber;
    fieldToWide(workRecord.userName, probedAccount.userName);
    probedAccount.launchMailer = workRecord.launchMailer != 0;
    fieldToWide(workRecord.mailerPath, probedAccount.mailerPath);
    if (hasLineBreak(workAccount) || hasLineBreak(workPassword)) {
        showBox(NULL, Box::unsafeCredentials);
        return false;
    }

    MailboxRequest request;
    memcpy(request.server, workRecord.server, sizeof request.server);
    memcpy(request.account, workAccount, sizeof request.account);
    memcpy(request.password, workPassword, sizeof request.password);
    runningCheck = startMailboxCheck(request, mainWindow, WM_MAILBOX_CHECKED, ++checkSerial);
    SecureZeroMemory(&request, sizeof request);
    if (!runningCheck) {
        showBox(NULL, Box::winsockStartup);
        return false;
    }
    return true;
}

// The connection is closed by now: while a box waits for the user, the
// mailbox is free for the mail program the report offers to start.
BYTE MailCheckerApp::reportProbe(ProbeOutcome outcome, Pop3Reply& statReply)
{
    if (outcome != ProbeOutcome::mailboxRead) {
        showBox(NULL, boxFor(outcome));
        return 0;
    }
    BYTE result = 0;
    evaluateStatReply(statReply.text, probedAccount, result);
    return result;
}
