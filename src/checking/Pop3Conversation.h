// One account's check on the network: the name lookup, the connection and
// the POP3 exchange USER, PASS, STAT, QUIT. It shows nothing; by the time it
// returns the connection is closed, so the caller's boxes never keep the
// server's mailbox locked.
#pragma once
#include "checking/ReplyFramer.h"

enum class ProbeOutcome {
    mailboxRead,        // STAT was answered
    winsockFailed,
    serverNotFound,     // the name did not resolve, or not in time
    socketFailed,
    connectFailed,
    timedOut,           // the connect, a reply or the whole conversation ran out of time
    replyTooLong,       // a line longer than any POP3 reply
    loginRefused,       // PASS answered without "+OK" but with "-ERR"
    loginUnexpected,    // PASS answered with neither
};

// On mailboxRead, statReply holds the reply to STAT.
ProbeOutcome checkMailbox(const char* server, const char* account, const char* password,
                          Pop3Reply& statReply);
