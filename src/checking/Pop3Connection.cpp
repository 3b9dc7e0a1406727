#include "checking/Pop3Connection.h"

#include <cstring>

namespace {

// What receive() answers besides a byte count.
const int kClosed = 0;
const int kTimedOut = -1;

// A receive may wait this much past its deadline; within it the socket's
// timeout is left as it is, which saves a system call for nearly every reply.
const DWORD kReceiveBoundSlackMs = 1000;

}  // namespace

DWORD Deadline::remainingMs() const
{
    LONG left = static_cast<LONG>(end_ - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

Deadline Deadline::earlier(const Deadline& other) const
{
    return remainingMs() <= other.remainingMs() ? *this : other;
}

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

Pop3Connection::Pop3Connection() : socket_(INVALID_SOCKET), ended_(false), receiveBoundMs_(0) {}

Pop3Connection::~Pop3Connection() { close(); }

bool Pop3Connection::open()
{
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return socket_ != INVALID_SOCKET;
}

void Pop3Connection::close()
{
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

ConnectResult Pop3Connection::connectTo(const in_addr& address, u_short port)
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
        timeval bound = {static_cast<long>(kConnectTimeoutSeconds), 0};
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

void Pop3Connection::send(const char* text)
{
    ::send(socket_, text, static_cast<int>(strlen(text)), 0);
}

ReplyResult Pop3Connection::readReply(Pop3Reply& reply, const Deadline& deadline)
{
    LineState line = framer_.begin(reply);
    while (line == LineState::incomplete) {
        if (ended_)
            return ReplyResult::closed;
        char bytes[kReplyLimit];
        int received = receive(bytes, deadline);
        if (received == kTimedOut)
            return ReplyResult::timedOut;
        if (received == kClosed) {
            ended_ = true;
            return ReplyResult::closed;
        }
        line = framer_.add(reply, bytes, static_cast<size_t>(received));
    }
    return line == LineState::complete ? ReplyResult::answered : ReplyResult::tooLong;
}

// One receive of at most kReplyLimit bytes: the count, kClosed when the
// server has closed or the connection failed, kTimedOut at the deadline.
int Pop3Connection::receive(char* bytes, const Deadline& deadline)
{
    DWORD remaining = deadline.remainingMs();
    if (remaining == 0)
        return kTimedOut;
    if (!boundReceives(remaining))
        return kClosed;
    int received = recv(socket_, bytes, static_cast<int>(kReplyLimit), 0);
    if (received > 0)
        return received;
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAETIMEDOUT)
        return kTimedOut;
    return kClosed;
}

// Sets the socket's receive timeout so that a receive ends by the deadline,
// at most the slack later. A timed-out receive leaves a Windows socket fit
// only for closing, so the timeout is never shorter than the time left.
bool Pop3Connection::boundReceives(DWORD remainingMs)
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
