// The connection of one POP3 conversation over a Windows Sockets 1.1 TCP
// socket. Every wait is bounded, so a silent or trickling server cannot hold
// the program, and replies are read whole, line by line.
#pragma once
#include "checking/ReplyFramer.h"

#include <winsock.h>

// How long the probe waits. A wrong password makes some servers pause a few
// seconds before answering, so the reply bound is well beyond that; the
// conversation bound keeps a server that answers each reply just in time from
// holding the round for minutes. A server slow to say goodbye after the
// mailbox was read gets only a short wait.
const DWORD kConnectTimeoutSeconds = 20;
const DWORD kReplyTimeoutSeconds = 30;
const DWORD kConversationTimeoutSeconds = 60;
const DWORD kQuitReplyTimeoutSeconds = 5;

// A moment a wait must end by, on the GetTickCount clock (its wrap after 49
// days does no harm: only differences are used).
class Deadline {
public:
    static Deadline inMs(DWORD ms) { return Deadline(GetTickCount() + ms); }
    static Deadline inSeconds(DWORD seconds) { return inMs(seconds * 1000); }
    DWORD remainingMs() const;
    Deadline earlier(const Deadline& other) const;

private:
    explicit Deadline(DWORD end) : end_(end) {}
    DWORD end_;
};

// Starts the socket library for version 1.1 and cleans it up again.
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    bool started() const { return started_; }
    void cleanUp();

private:
    bool started_;
};

enum class ConnectResult { connected, refused, timedOut };

// How reading a reply ended. After `closed` the reply holds what arrived
// before the end, often nothing, and every later reply is empty.
enum class ReplyResult { answered, closed, timedOut, tooLong };

class Pop3Connection {
public:
    Pop3Connection();
    ~Pop3Connection();

    bool open();
    ConnectResult connectTo(const in_addr& address, u_short port);
    void close();

    // Sends the whole text in one call. The result is not examined: a lost
    // connection shows in the reply.
    void send(const char* text);
    // The next reply line, received before the deadline.
    ReplyResult readReply(Pop3Reply& reply, const Deadline& deadline);

private:
    int receive(char* bytes, const Deadline& deadline);
    bool boundReceives(DWORD remainingMs);

    SOCKET      socket_;
    ReplyFramer framer_;
    bool        ended_;           // the server has closed, or the connection failed
    DWORD       receiveBoundMs_;  // SO_RCVTIMEO as last set, 0 for none
};
