// The name server of the tests' network, 127.0.0.53, which every name the
// hosts file lacks is sent to, played by a socket that reads nothing: a
// lookup of such a name waits on it. One at a time: the tests that use it
// share the ctest lock "quillora_exe".
#pragma once
#include <winsock2.h>

class SilentNameServer {
public:
    SilentNameServer();
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool listening() const { return listening_; }
    // Whether a question has arrived.
    bool asked() const;

private:
    SOCKET socket_;
    bool listening_;
};
