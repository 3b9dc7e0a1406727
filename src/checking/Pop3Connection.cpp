#include "checking/Pop3Connection.h"

#include <cstring>

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

Pop3Connection::Pop3Connection() : socket_(INVALID_SOCKET) {}

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

Pop3Connection::ConnectResult Pop3Connection::connectTo(const in_addr& address, u_short port)
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
    // Every receive from here on gives up after the reply bound. A timeout
    // on the socket costs nothing per reply, where a wait before each one
    // would.
    DWORD replyBound = kReplyTimeoutSeconds * 1000;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&replyBound), sizeof replyBound);
    return result;
}

void Pop3Connection::send(const char* text)
{
    ::send(socket_, text, static_cast<int>(strlen(text)), 0);
}

bool Pop3Connection::receive(Pop3Reply& reply)
{
    memset(reply.text, 0, sizeof reply.text);
    return recv(socket_, reply.text, kReplyLimit, 0) != SOCKET_ERROR || WSAGetLastError() != WSAETIMEDOUT;
}
