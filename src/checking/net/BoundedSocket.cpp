// The socket library's session, and a socket whose every wait is bounded and can be abandoned.
#include "checking/net/BoundedSocket.h"

WinsockSession::WinsockSession()
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession()
{
    if (started_)
        WSACleanup();
}

BoundedSocket::BoundedSocket(const AbandonSignal* abandon)
    : socket_(INVALID_SOCKET), ready_(WSA_INVALID_EVENT), abandon_(abandon), seen_(), readable_(false),
      peerClosed_(false)
{
}

BoundedSocket::~BoundedSocket() { close(); }

bool BoundedSocket::open()
{
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET)
        return false;
    ready_ = WSACreateEvent();
    // This also makes the socket non-blocking.
    return ready_ != WSA_INVALID_EVENT &&
           WSAEventSelect(socket_, ready_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == 0;
}

void BoundedSocket::close()
{
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    socket_ = INVALID_SOCKET;
    if (ready_ != WSA_INVALID_EVENT)
        WSACloseEvent(ready_);
    ready_ = WSA_INVALID_EVENT;
}

bool BoundedSocket::abandoned() const
{
    return abandon_ && abandon_->raised();
}

namespace {

ConnectResult failedConnect(int error)
{
    switch (error) {
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
        return ConnectResult::unreachable;
    default:
        return ConnectResult::refused;
    }
}

}  // namespace

ConnectResult BoundedSocket::connectTo(const in_addr& address, u_short port, const Deadline& deadline)
{
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = address;
    if (connect(socket_, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0)
        return ConnectResult::connected;
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK)
        return failedConnect(error);
    // A host that drops packets would keep a blocking connect for minutes.
    for (;;) {
        switch (waitForNetwork(deadline)) {
        case Wait::timedOut:
            return ConnectResult::timedOut;
        case Wait::abandoned:
            return ConnectResult::abandoned;
        case Wait::failed:
            return ConnectResult::refused;
        case Wait::ready:
            break;
        }
        if (seen_.lNetworkEvents & FD_CONNECT)
            return seen_.iErrorCode[FD_CONNECT_BIT] == 0 ? ConnectResult::connected
                                                         : failedConnect(seen_.iErrorCode[FD_CONNECT_BIT]);
    }
}

bool BoundedSocket::send(const char* bytes, size_t length, const Deadline& deadline)
{
    size_t sent = 0;
    while (sent < length) {
        if (abandoned())
            return false;
        int n = ::send(socket_, bytes + sent, static_cast<int>(length - sent), 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        // The system's send buffer is full: wait until it has room.
        if (WSAGetLastError() != WSAEWOULDBLOCK || waitForNetwork(deadline) != Wait::ready)
            return false;
    }
    return true;
}

int BoundedSocket::receive(char* bytes, size_t capacity, const Deadline& deadline)
{
    // A reply is seldom there before it is waited for, so the wait comes
    // first, unless an earlier wait has already seen bytes arrive. After a
    // receive the socket sets the event again while bytes are left unread;
    // the peer's close it tells only once, so from then on no wait comes.
    for (;;) {
        if (!readable_) {
            switch (waitForNetwork(deadline)) {
            case Wait::timedOut:
                return kReceiveTimedOut;
            case Wait::abandoned:
                return kReceiveAbandoned;
            case Wait::failed:
                return kReceiveClosed;
            case Wait::ready:
                continue;
            }
        }
        int received = recv(socket_, bytes, static_cast<int>(capacity), 0);
        readable_ = peerClosed_;
        if (received > 0)
            return received;
        if (received == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            return kReceiveClosed;
    }
}

// Waits until the socket has news, the deadline passes or the conversation
// is abandoned, whichever comes first; abandonment wins a tie.
BoundedSocket::Wait BoundedSocket::waitForNetwork(const Deadline& deadline)
{
    if (abandoned())
        return Wait::abandoned;
    DWORD remaining = deadline.remainingMs();
    if (remaining == 0)
        return Wait::timedOut;
    HANDLE events[2];
    DWORD count = 0;
    if (abandon_)
        events[count++] = abandon_->event();
    events[count++] = ready_;
    DWORD woke = WaitForMultipleObjects(count, events, FALSE, remaining);
    if (woke >= WAIT_OBJECT_0 + count)
        return Wait::timedOut;
    if (abandon_ && woke == WAIT_OBJECT_0)
        return Wait::abandoned;
    // Clears the event; the next call that would block arms it again.
    if (WSAEnumNetworkEvents(socket_, ready_, &seen_) != 0)
        return Wait::failed;
    if (seen_.lNetworkEvents & FD_CLOSE)
        peerClosed_ = true;
    if (seen_.lNetworkEvents & (FD_READ | FD_CLOSE))
        readable_ = true;
    return Wait::ready;
}
