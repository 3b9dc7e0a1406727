// A Windows Sockets 1.1 TCP client socket whose every wait has a bound: the
// connect one of its own, each receive a deadline. It offers only "send these
// bytes" and "receive up to n bytes before this moment"; plain POP3 and TLS
// are built on it alike.
#pragma once
#include "checking/Deadline.h"

#include <winsock.h>

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

// What receive() answers besides a byte count.
const int kReceiveClosed = 0;     // the peer has closed, or the connection failed
const int kReceiveTimedOut = -1;  // the deadline has passed

class BoundedSocket {
public:
    BoundedSocket();
    ~BoundedSocket();

    bool open();
    ConnectResult connectTo(const in_addr& address, u_short port, DWORD boundSeconds);
    void close();

    bool send(const char* bytes, size_t length);
    int receive(char* bytes, size_t capacity, const Deadline& deadline);

private:
    bool boundReceives(DWORD remainingMs);

    SOCKET socket_;
    DWORD  receiveBoundMs_;  // SO_RCVTIMEO as last set, 0 for none
};
