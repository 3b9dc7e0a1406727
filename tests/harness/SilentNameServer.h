// The name server of the tests' network, 127.0.0.53, which every name the
// hosts file lacks is sent to, played by a socket that reads nothing: a
// lookup of such a name waits on it. One at a time: the tests that use it
// share the ctest lock "quillora_exe".
#pragma once
#include <winsock2.h>

class SilentNameServer {
public:
    SilentNameServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(53);
        at.sin_addr.s_addr = inet_addr("127.0.0.53");
        listening_ = socket_ != INVALID_SOCKET && bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
    ~SilentNameServer()
    {
        closesocket(socket_);
        WSACleanup();
    }
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool listening() const { return listening_; }
    // Whether a question has arrived.
    bool asked() const
    {
        u_long waiting = 0;
        return ioctlsocket(socket_, FIONREAD, &waiting) == 0 && waiting > 0;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool listening_ = false;
};
