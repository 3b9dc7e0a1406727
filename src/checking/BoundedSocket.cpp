#include "checking/BoundedSocket.h"

namespace {

// A receive may wait this much past its deadline; within it the socket's
// timeout is left as it is, which saves a system call for nearly every reply.
const DWORD kReceiveBoundSlackMs = 1000;

}  // namespace

WinsockSession::WinsockSession()
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

WinsockSession::~WinsockSession() { cleanUp(); }

void WinsockSession::cleanUp()
{
    if (started_)
        WSACleanup();
    started_ = false;
}

BoundedSocket::BoundedSocket() : socket_(INVALID_SOCKET), receiveBoundMs_(0) {}

BoundedSocket::~BoundedSocket() { close(); }

bool BoundedSocket::open()
{
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return socket_ != INVALID_SOCKET;
}

void BoundedSocket::close()
{
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

ConnectResult BoundedSocket::connectTo(const in_addr& address, u_short port, DWORD boundSeconds)
{
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = address;

    // Connect without blocking and wait a bounded time for the outcome; a
    // blocking connect to a host that drops packets waits for minutes.
    u_long nonBlocking = 1;
    ioctlsocket(socket_, FIONBIO, &nonBlocking);
    ConnectResult result = ConnectResult::connected;
    if (connect(socket_, reinterpret_cast<sockaddr*>(&server), sizeof server) == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return ConnectResult::refused;
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        timeval bound = {static_cast<long>(boundSeconds), 0};
        int ready = select(0, NULL, &writable, &failed, &bound);
        if (ready == 0)
            return ConnectResult::timedOut;
        int error = 0;
        int length = sizeof error;
        getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
        if (ready < 0 || FD_ISSET(socket_, &failed) || error != 0)
            result = ConnectResult::refused;
    }
    u_long blocking = 0;
    ioctlsocket(socket_, FIONBIO, &blocking);
    return result;
}

bool BoundedSocket::send(const char* bytes, size_t length)
{
    // A blocking socket sends all of it or fails.
    return ::send(socket_, bytes, static_cast<int>(length), 0) == static_cast<int>(length);
}

int BoundedSocket::receive(char* bytes, size_t capacity, const Deadline& deadline)
{
    DWORD remaining = deadline.remainingMs();
    if (remaining == 0)
        return kReceiveTimedOut;
    if (!boundReceives(remaining))
        return kReceiveClosed;
    int received = recv(socket_, bytes, static_cast<int>(capacity), 0);
    if (received > 0)
        return received;
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAETIMEDOUT)
        return kReceiveTimedOut;
    return kReceiveClosed;
}

// Sets the socket's receive timeout so that a receive ends by the deadline,
// at most the slack later. A timed-out receive leaves a Windows socket fit
// only for closing, so the timeout is never shorter than the time left.
bool BoundedSocket::boundReceives(DWORD remainingMs)
{
    if (receiveBoundMs_ >= remainingMs && receiveBoundMs_ - remainingMs < kReceiveBoundSlackMs)
        return true;
    // Whole seconds keep the value steady from one reply to the next.
    DWORD bound = (remainingMs + 999) / 1000 * 1000;
    if (setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound),
                   sizeof bound) == SOCKET_ERROR)
        return false;
    receiveBoundMs_ = bound;
    return true;
}
