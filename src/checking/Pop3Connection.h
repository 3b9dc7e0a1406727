// One POP3 conversation over a Windows Sockets 1.1 TCP connection, with every
// wait bounded so that a silent server cannot hold the program.
#pragma once
#include <winsock.h>

// How long the probe waits for the connection and for each reply. A wrong
// password makes some servers pause a few seconds before answering, so the
// reply bound is well beyond that.
const DWORD kConnectTimeoutSeconds = 20;
const DWORD kReplyTimeoutSeconds = 30;

// Each reply is what one receive of at most this many bytes returns.
const int kReplyLimit = 64;

struct Pop3Reply {
    char text[kReplyLimit + 1];   // always terminated
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

class Pop3Connection {
public:
    enum class ConnectResult { connected, refused, timedOut };

    Pop3Connection();
    ~Pop3Connection();

    bool open();
    ConnectResult connectTo(const in_addr& address, u_short port);
    void close();

    // Sends the whole text in one call. The result is not examined: a lost
    // connection shows as an empty reply.
    void send(const char* text);
    // One receive into a cleared buffer. False when the bound ran out; a
    // closed or failed connection gives an empty reply and true.
    bool receive(Pop3Reply& reply);

private:
    SOCKET socket_;
};
