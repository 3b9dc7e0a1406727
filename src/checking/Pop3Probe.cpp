// Checking one account: log in over POP3 with USER and PASS, ask STAT, log out
// with QUIT, then tell the user. Nothing is ever retrieved or deleted.
#include "app/MailCheckerApp.h"
#include "checking/Pop3Conversation.h"
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
    case ProbeOutcome::mailboxRead:             break;
    }
    return Box::serverTimeout;
}

}  // namespace

BYTE MailCheckerApp::probeAccount(int accountNumber)
{
    readAccountRecord(accountNumber);
    CheckedAccount checked;
    checked.number = accountNumber;
    fieldToWide(workRecord.userName, checked.userName);
    checked.launchMailer = workRecord.launchMailer != 0;
    fieldToWide(workRecord.mailerPath, checked.mailerPath);
    if (hasLineBreak(workAccount) || hasLineBreak(workPassword)) {
        showBox(NULL, Box::unsafeCredentials);
        return 0;
    }

    Pop3Reply statReply;
    ProbeOutcome outcome = checkMailbox(workRecord.server, workAccount, workPassword, statReply);
    // The network held the thread. What the user asked meanwhile comes first,
    // while the round still runs: clicks on the icon start nothing, and after
    // "終了" no box is shown and the round ends here.
    if (!handlePendingMessages())
        return 1;
    // The connection is closed by now: while a box waits for the user, the
    // mailbox is free for the mail program the report offers to start.
    if (outcome != ProbeOutcome::mailboxRead) {
        showBox(NULL, boxFor(outcome));
        return 0;
    }
    BYTE result = 0;
    evaluateStatReply(statReply.text, checked, result);
    return result;
}
