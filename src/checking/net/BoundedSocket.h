// A TCP client socket whose every wait has a bound and can be abandoned. It
// offers only "send these bytes" and "receive up to n bytes before this
// moment"; plain POP3 and TLS are built on it alike.
//
// The socket never blocks: readiness arrives as an event (WSAEventSelect),
// and each wait is one wait on that event and on the conversation's abandon
// signal together, so that the program can end a conversation at any moment.
// Once the signal is raised, nothing more is sent.
#pragma once
#include <winsock2.h>

#include "checking/net/AbandonSignal.h"

// Room for any host name with its terminator: DNS allows 253 characters.
const size_t kHostNameSize = 256;
#include "base/Deadline.h"

// Starts the socket library and cleans it up again.
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    bool started() const { return started_; }

private:
    bool started_;
};

// unreachable: no route to the server, or the network is down.
enum class ConnectResult { connected, refused, unreachable, timedOut, abandoned };

// What receive() answers besides a byte count.
const int kReceiveClosed = 0;      // the peer has closed, or the connection failed
const int kReceiveTimedOut = -1;   // the deadline has passed
const int kReceiveAbandoned = -3;  // the abandon signal is raised

class BoundedSocket {
public:
    // abandon: the conversation's signal, or NULL for none.
    explicit BoundedSocket(const AbandonSignal* abandon);
    ~BoundedSocket();

    bool open();
    ConnectResult connectTo(const in_addr& address, u_short port, const Deadline& deadline);
    void close();

    // All of it, or false: the connection failed, the deadline passed, or
    // the conversation was abandoned (then not a byte more goes out).
    bool send(const char* bytes, size_t length, const Deadline& deadline);
    int receive(char* bytes, size_t capacity, const Deadline& deadline);
    bool abandoned() const;

private:
    enum class Wait { ready, timedOut, abandoned, failed };
    Wait waitForNetwork(const Deadline& deadline);

    SOCKET           socket_;
    WSAEVENT         ready_;    // set by the socket: connected, readable, writable, closed
    const AbandonSignal* abandon_;
    WSANETWORKEVENTS seen_;     // what the last wait found
    bool             readable_; // a wait saw bytes arrive that no receive has taken yet
    bool             peerClosed_;
};
