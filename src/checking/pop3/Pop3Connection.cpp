// One POP3 connection: commands sent, reply lines read, plain or over TLS.
#include "checking/pop3/Pop3Connection.h"

#include <cstring>

Pop3Connection::Pop3Connection(const AbandonSignal* abandon) : socket_(abandon), secure_(false), ended_(false) {}

Pop3Connection::~Pop3Connection() { close(); }

bool Pop3Connection::open()
{
    return socket_.open();
}

ConnectResult Pop3Connection::connectTo(const in_addr& address, u_short port)
{
    return socket_.connectTo(address, port, Deadline::inSeconds(kConnectTimeoutSeconds));
}

TlsResult Pop3Connection::startTls(const char* host, const Deadline& deadline)
{
    TlsResult result = tls_.start(socket_, host, deadline);
    secure_ = result == TlsResult::ready;
    return result;
}

void Pop3Connection::close()
{
    // The close_notify is one small record: it never waits for long.
    if (secure_)
        tls_.shutdown(Deadline::inSeconds(1));
    secure_ = false;
    socket_.close();
}

void Pop3Connection::send(const char* text, const Deadline& deadline)
{
    if (secure_)
        tls_.send(text, strlen(text), deadline);
    else
        socket_.send(text, strlen(text), deadline);
}

ReplyResult Pop3Connection::readReply(Pop3Reply& reply, const Deadline& deadline)
{
    LineState line = framer_.begin(reply);
    while (line == LineState::incomplete) {
        if (ended_)
            return ReplyResult::closed;
        char bytes[kReplyLimit];
        int received = receive(bytes, deadline);
        if (received == kReceiveTimedOut)
            return ReplyResult::timedOut;
        if (received == kReceiveAbandoned)
            return ReplyResult::abandoned;
        if (received == kReceiveTlsFailed) {
            ended_ = true;
            return ReplyResult::tlsFailed;
        }
        if (received == kReceiveClosed) {
            ended_ = true;
            return ReplyResult::closed;
        }
        line = framer_.add(reply, bytes, static_cast<size_t>(received));
    }
    return line == LineState::complete ? ReplyResult::answered : ReplyResult::tooLong;
}

// At most kReplyLimit bytes each time, plain or decrypted, or what a socket
// answers besides; over TLS also kReceiveTlsFailed.
int Pop3Connection::receive(char* bytes, const Deadline& deadline)
{
    if (secure_)
        return tls_.receive(bytes, kReplyLimit, deadline);
    return socket_.receive(bytes, kReplyLimit, deadline);
}
