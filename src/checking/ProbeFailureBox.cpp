// The boxes of a probe that did not read the mailbox.
#include "checking/ProbeFailureBox.h"
#include "checking/pop3/ServerAddress.h"
#include "checking/pop3/ServerRefusal.h"
#include "resources/ShowBox.h"

namespace {

// The boxes of a fixed text; a refusal and a refused connection are composed
// below.
const BoxText& boxFor(ProbeOutcome outcome)
{
    switch (outcome) {
    case ProbeOutcome::winsockFailed:           return Box::winsockStartup;
    case ProbeOutcome::serverFieldInvalid:
    case ProbeOutcome::serverNotFound:          return Box::serverNotFound;
    case ProbeOutcome::lookupTimedOut:          return Box::lookupTimeout;
    case ProbeOutcome::socketFailed:            return Box::socketOpen;
    case ProbeOutcome::replyTooLong:            return Box::replyTooLong;
    case ProbeOutcome::connectionClosed:        return Box::connectionClosed;
    case ProbeOutcome::tlsFailed:               return Box::tlsFailed;
    case ProbeOutcome::certificateUntrusted:    return Box::certificateUntrusted;
    case ProbeOutcome::certificateWrongName:    return Box::certificateWrongName;
    case ProbeOutcome::certificateNotTimeValid: return Box::certificateNotTimeValid;
    case ProbeOutcome::loginUnexpected:         return Box::loginUnexpected;
    case ProbeOutcome::connectFailed:
    case ProbeOutcome::serverUnreachable:
    case ProbeOutcome::greetingRefused:
    case ProbeOutcome::userRefused:
    case ProbeOutcome::loginRefused:
    case ProbeOutcome::statRefused:
    case ProbeOutcome::timedOut:
    case ProbeOutcome::mailboxRead:
    case ProbeOutcome::abandoned:               break;
    }
    return Box::serverTimeout;
}

// A box's text made of lines. Far more room than the longest text needs: a
// refusal with the server's 200 characters.
class BoxLines {
public:
    BoxLines() : length_(0) { text_[0] = L'\0'; }
    void add(const wchar_t* line)
    {
        if (length_)
            append(L"\n");
        append(line);
    }
    void append(const wchar_t* more)
    {
        lstrcpynW(text_ + length_, more, static_cast<int>(kCapacity - length_));
        length_ += static_cast<size_t>(lstrlenW(text_ + length_));
    }
    const wchar_t* text() const { return text_; }

private:
    static const size_t kCapacity = 1024;
    wchar_t text_[kCapacity];
    size_t  length_;
};

// What the server said, on a line of its own; nothing when it said nothing.
// Its words are printable ASCII, widened byte by byte.
void addServerWords(BoxLines& lines, const Pop3Reply& reply)
{
    char words[kServerWordsLength + 1];
    bool cut = serverWordsOf(reply.text, reply.length, words);
    if (!words[0])
        return;
    wchar_t wide[kServerWordsLength + 1];
    size_t i = 0;
    for (; words[i]; ++i)
        wide[i] = static_cast<wchar_t>(words[i]);
    wide[i] = L'\0';
    lines.add(Box::serverWords);
    lines.append(wide);
    if (cut)
        lines.append(Box::wordsCut);
}

// The server would not let the account in, or would not count its mail.
// Today's box for a refused password, unless the server said why; the
// server's words last.
void showRefusal(ProbeOutcome outcome, const Pop3Reply& reply, const ProbedAccount& account)
{
    // Over TLS the advice would be no help.
    const bool wantsTls = !account.tls && refusesPlainText(reply.text);
    BoxLines lines;
    if (outcome == ProbeOutcome::greetingRefused) {
        lines.add(Box::greetingRefused);
    } else if (outcome == ProbeOutcome::statRefused) {
        lines.add(Box::statRefused);
        lines.add(Box::checkedNextRound);
    } else if (outcome == ProbeOutcome::userRefused) {
        lines.add(Box::userRefused);
        if (wantsTls)
            lines.add(Box::encryptionRequired);
    } else if (wantsTls) {
        // Not the password: the login itself, without encryption.
        lines.add(Box::loginRefusedInPlain);
        lines.add(Box::encryptionRequired);
    } else {
        // A reason that passes by itself is no wrong password.
        const wchar_t* reason = NULL;
        switch (refusalCodeOf(reply.text)) {
        case RefusalCode::inUse:      reason = Box::mailboxInUse; break;
        case RefusalCode::loginDelay: reason = Box::loginTooSoon; break;
        case RefusalCode::temporary:  reason = Box::serverBusy; break;
        case RefusalCode::none:       break;
        }
        lines.add(reason ? reason : Box::loginRefused.text);
        if (reason)
            lines.add(Box::checkedNextRound);
    }
    addServerWords(lines, reply);
    showBox(NULL, BoxText{lines.text(), Box::loginRefused.caption, Box::loginRefused.style});
}

// The port the connection was refused on, and where it was not 995 the
// way to choose POP3 over TLS.
void showConnectFailed(const ProbedAccount& account)
{
    wchar_t first[128];
    wsprintfW(first, Box::connectFailed.text, static_cast<int>(account.port));
    BoxLines lines;
    lines.add(first);
    if (account.port != kPop3TlsPort)
        lines.add(Box::useTlsPort);
    showBox(NULL, BoxText{lines.text(), Box::connectFailed.caption, Box::connectFailed.style});
}

}  // namespace

void showProbeFailure(ProbeOutcome outcome, const Pop3Reply& reply, const ProbedAccount& account)
{
    switch (outcome) {
    case ProbeOutcome::greetingRefused:
    case ProbeOutcome::userRefused:
    case ProbeOutcome::loginRefused:
    case ProbeOutcome::statRefused:
        showRefusal(outcome, reply, account);
        break;
    case ProbeOutcome::connectFailed:
    case ProbeOutcome::serverUnreachable:
        showConnectFailed(account);
        break;
    default:
        showBox(NULL, boxFor(outcome));
        break;
    }
}
