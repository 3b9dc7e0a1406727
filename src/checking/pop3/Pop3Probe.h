// One account's probe on the network: the name lookup, the connection, and
// the conversation over it (TLS on port 995, then USER, PASS, STAT, QUIT). It
// shows nothing; by the time it returns the connection is closed, so the
// caller's boxes never keep the server's mailbox locked.
#pragma once
#include "checking/net/AbandonSignal.h"
#include "checking/pop3/ReplyFramer.h"
#include "config/Records.h"

enum class ProbeOutcome {
    mailboxRead,        // STAT was answered
    winsockFailed,
    serverFieldInvalid, // no valid "host[:port]"
    serverNotFound,     // no address for the name
    lookupTimedOut,     // no answer about the name in time
    socketFailed,
    connectFailed,      // refused
    serverUnreachable,  // no route to the server
    timedOut,           // the connect, a reply or the whole conversation ran out of time
    replyTooLong,       // a line longer than any POP3 reply
    connectionClosed,   // the server ended the conversation before STAT was answered
    tlsFailed,          // no TLS on port 995: a plain server, an alert, no version in common;
                        // or the channel broke later: a renegotiation asked for, a bad record
    certificateUntrusted,
    certificateWrongName,
    certificateNotTimeValid,
    greetingRefused,    // the server greeted with anything but "+OK"
    userRefused,        // USER answered with anything but "+OK": PASS was not sent
    loginRefused,       // PASS answered without "+OK" but with "-ERR"
    loginUnexpected,    // PASS answered with neither
    statRefused,        // STAT answered with "-ERR"
    abandoned,          // the abandon signal was raised: the connection was closed, nothing more sent
};

// What a probe sends, copied from the account when it starts: nothing the
// user does meanwhile changes it.
struct ProbeRequest {
    char server[sizeof(AccountRecord::server)];   // the account's field, "host" or "host:port"
    char account[kLongTextSize];                  // whole, Shift_JIS
    char password[kLongTextSize];
};

// Holds the calling thread for as long as the probe takes, within its
// bounds; raising abandon (NULL for none) ends it at once. reply holds
// the reply to STAT on mailboxRead, and the refusal on greetingRefused,
// userRefused, loginRefused, loginUnexpected and statRefused. loopbackServer
// (NULL for none) tells whether the name led to this machine itself.
ProbeOutcome probeMailbox(const ProbeRequest& request, const AbandonSignal* abandon, Pop3Reply& reply,
                          bool* loopbackServer = NULL);
