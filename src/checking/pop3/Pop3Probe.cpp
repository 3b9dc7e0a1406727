// The probe of one account on the network, from the name lookup to QUIT.
#include "checking/pop3/Pop3Probe.h"
#include "checking/net/HostLookup.h"
#include "checking/pop3/Pop3Connection.h"
#include "checking/pop3/ServerAddress.h"
#include "checking/pop3/ServerRefusal.h"
#include "checking/pop3/StatReply.h"
#include "config/Records.h"

#include <cstdio>

namespace {

// A reply has its own bound, and never more than the conversation has left.
Deadline replyDeadline(const Deadline& conversation)
{
    return Deadline::inSeconds(kReplyTimeoutSeconds).earlier(conversation);
}

// A reply that did not come whole ends the conversation: without it
// nothing after it means anything.
ProbeOutcome endAfterBrokenReply(Pop3Connection& pop3, ReplyResult read, const Deadline& conversation)
{
    // A broken TLS channel can carry nothing more, not even a goodbye; an
    // abandoned conversation says nothing more at all.
    if (read == ReplyResult::tlsFailed)
        return ProbeOutcome::tlsFailed;
    if (read == ReplyResult::abandoned)
        return ProbeOutcome::abandoned;
    // A goodbye without waiting for its answer: the server may be gone.
    pop3.send("QUIT\r\n", Deadline::inSeconds(kQuitReplyTimeoutSeconds).earlier(conversation));
    switch (read) {
    case ReplyResult::tooLong: return ProbeOutcome::replyTooLong;
    case ReplyResult::closed:  return ProbeOutcome::connectionClosed;
    default:                   return ProbeOutcome::timedOut;
    }
}

// Once the outcome is known the server's answer to QUIT changes nothing;
// it gets a short wait so that the server can close the mailbox in order.
void sayGoodbye(Pop3Connection& pop3, const Deadline& conversation)
{
    const Deadline goodbye = Deadline::inSeconds(kQuitReplyTimeoutSeconds).earlier(conversation);
    pop3.send("QUIT\r\n", goodbye);
    Pop3Reply reply;
    pop3.readReply(reply, goodbye);
}

ReplyResult command(Pop3Connection& pop3, const char* verb, const char* argument,
                    Pop3Reply& reply, const Deadline& conversation)
{
    // The longest argument, a 255-byte login or password, stays far below
    // the 512 bytes a POP3 command line may have.
    char text[kLongTextSize + 16];
    snprintf(text, sizeof text, "%s %s\r\n", verb, argument);
    const Deadline deadline = replyDeadline(conversation);
    pop3.send(text, deadline);
    SecureZeroMemory(text, sizeof text);   // it may hold the password
    return pop3.readReply(reply, deadline);
}

ProbeOutcome outcomeOf(TlsResult tls)
{
    switch (tls) {
    case TlsResult::timedOut:        return ProbeOutcome::timedOut;
    case TlsResult::untrustedIssuer: return ProbeOutcome::certificateUntrusted;
    case TlsResult::wrongName:       return ProbeOutcome::certificateWrongName;
    case TlsResult::notTimeValid:    return ProbeOutcome::certificateNotTimeValid;
    case TlsResult::abandoned:       return ProbeOutcome::abandoned;
    case TlsResult::ready:
    case TlsResult::failed:          break;
    }
    return ProbeOutcome::tlsFailed;
}

// The login goes on only after a whole reply that begins with "+OK"; a
// server that says anything else gets the goodbye and nothing more. False
// with the outcome set when the conversation ends here.
bool replyLetsLoginGoOn(Pop3Connection& pop3, ReplyResult read, const Pop3Reply& reply, ProbeOutcome refused,
                        const Deadline& conversation, ProbeOutcome& outcome)
{
    if (read != ReplyResult::answered) {
        outcome = endAfterBrokenReply(pop3, read, conversation);
        return false;
    }
    if (isPositiveReply(reply.text))
        return true;
    sayGoodbye(pop3, conversation);
    outcome = refused;
    return false;
}

ProbeOutcome converse(Pop3Connection& pop3, const char* account, const char* password, Pop3Reply& reply,
                      const Deadline& conversation)
{
    // The password goes only where it is asked for: never after a refused
    // greeting, nor after a refused USER, which may be the refusal of a login
    // without encryption.
    ProbeOutcome outcome;
    if (!replyLetsLoginGoOn(pop3, pop3.readReply(reply, replyDeadline(conversation)), reply,
                            ProbeOutcome::greetingRefused, conversation, outcome) ||
        !replyLetsLoginGoOn(pop3, command(pop3, "USER", account, reply, conversation), reply,
                            ProbeOutcome::userRefused, conversation, outcome))
        return outcome;
    ReplyResult read = command(pop3, "PASS", password, reply, conversation);
    if (read != ReplyResult::answered)
        return endAfterBrokenReply(pop3, read, conversation);
    if (!isLoginAccepted(reply.text)) {
        sayGoodbye(pop3, conversation);
        return isLoginRefused(reply.text) ? ProbeOutcome::loginRefused
                                          : ProbeOutcome::loginUnexpected;
    }
    const Deadline statDeadline = replyDeadline(conversation);
    pop3.send("STAT\r\n", statDeadline);
    read = pop3.readReply(reply, statDeadline);
    if (read != ReplyResult::answered)
        return endAfterBrokenReply(pop3, read, conversation);
    sayGoodbye(pop3, conversation);
    // A refusal holds no count: the account's last status must not become it.
    return isNegativeReply(reply.text) ? ProbeOutcome::statRefused : ProbeOutcome::mailboxRead;
}

}  // namespace

ProbeOutcome probeMailbox(const ProbeRequest& request, const AbandonSignal* abandon, Pop3Reply& reply,
                          bool* loopbackServer)
{
    if (loopbackServer)
        *loopbackServer = false;
    WinsockSession winsock;
    if (!winsock.started())
        return ProbeOutcome::winsockFailed;
    // An empty name (a record that could not be read) would resolve to this
    // machine itself; it names no server.
    ServerAddress target;
    in_addr address;
    if (!parseServerAddress(request.server, target) || !target.host[0])
        return ProbeOutcome::serverFieldInvalid;
    switch (lookUpHost(target.host, address, kLookupTimeoutSeconds * 1000, abandon ? abandon->event() : NULL)) {
    case LookupResult::abandoned:
        return ProbeOutcome::abandoned;
    case LookupResult::found:
        break;
    case LookupResult::notFound:
        return ProbeOutcome::serverNotFound;
    // A name server that does not answer says nothing about the name.
    case LookupResult::timedOut:
        return ProbeOutcome::lookupTimedOut;
    }
    if (loopbackServer)
        *loopbackServer = (ntohl(address.s_addr) >> 24) == 127;

    // Declared after the session, so the socket is closed before the
    // library is cleaned up.
    Pop3Connection pop3(abandon);
    if (!pop3.open())
        return ProbeOutcome::socketFailed;
    switch (pop3.connectTo(address, target.port)) {
    case ConnectResult::refused:
        return ProbeOutcome::connectFailed;
    case ConnectResult::unreachable:
        return ProbeOutcome::serverUnreachable;
    case ConnectResult::timedOut:
        return ProbeOutcome::timedOut;
    case ConnectResult::abandoned:
        return ProbeOutcome::abandoned;
    case ConnectResult::connected:
        break;
    }
    const Deadline conversation = Deadline::inSeconds(kConversationTimeoutSeconds);
    if (target.tls) {
        // Until the certificate has passed, not a byte of the account goes out.
        TlsResult tls = pop3.startTls(target.host, replyDeadline(conversation));
        if (tls != TlsResult::ready)
            return outcomeOf(tls);
    }
    return converse(pop3, request.account, request.password, reply, conversation);
}
