#include "SilentNameServer.h"

SilentNameServer::SilentNameServer() : socket_(INVALID_SOCKET), listening_(false)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(53);
    at.sin_addr.s_addr = inet_addr("127.0.0.53");
    listening_ = socket_ != INVALID_SOCKET && bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
}

SilentNameServer::~SilentNameServer()
{
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    WSACleanup();
}

bool SilentNameServer::asked() const
{
    u_long waiting = 0;
    return ioctlsocket(socket_, FIONREAD, &waiting) == 0 && waiting > 0;
}
