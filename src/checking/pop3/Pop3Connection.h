// The connection of one POP3 conversation, plain or over TLS: commands out,
// reply lines in, every wait bounded so that a silent or trickling server
// cannot hold the program.
#pragma once
#include "checking/net/BoundedSocket.h"
#include "checking/net/TlsChannel.h"
#include "checking/pop3/ReplyFramer.h"

// How long the probe waits: for the name lookup, the connect, each reply. A
// wrong password makes some servers pause a few seconds before answering, so
// the reply bound is well beyond that; the conversation bound (from the end
// of the connect to the close, the TLS handshake included) keeps a server
// that answers each reply just in time from holding the round for minutes. A
// server slow to say goodbye after the mailbox was read gets only a short
// wait.
const DWORD kLookupTimeoutSeconds = 15;
const DWORD kConnectTimeoutSeconds = 20;
const DWORD kReplyTimeoutSeconds = 30;
const DWORD kConversationTimeoutSeconds = 60;
const DWORD kQuitReplyTimeoutSeconds = 5;

// How reading a reply ended. After `closed` the reply holds what arrived
// before the end, often nothing, and every later reply is empty; after
// `tlsFailed` (the TLS channel broke: a renegotiation asked for, a record
// that did not decrypt) nothing more can be sent or received either.
// `abandoned`: the conversation's abandon signal was raised; nothing more is sent.
enum class ReplyResult { answered, closed, timedOut, tooLong, tlsFailed, abandoned };

class Pop3Connection {
public:
    // abandon: the conversation's signal (NULL for none).
    explicit Pop3Connection(const AbandonSignal* abandon);
    ~Pop3Connection();

    bool open();
    ConnectResult connectTo(const in_addr& address, u_short port);
    // From here on everything goes through TLS, if this answers ready.
    TlsResult startTls(const char* host, const Deadline& deadline);
    // Ends TLS with its close_notify, then closes the socket.
    void close();

    // Sends the whole text. The result is not examined: a lost connection
    // shows in the reply.
    void send(const char* text, const Deadline& deadline);
    // The next reply line, received before the deadline.
    ReplyResult readReply(Pop3Reply& reply, const Deadline& deadline);

private:
    int receive(char* bytes, const Deadline& deadline);

    BoundedSocket socket_;
    TlsChannel    tls_;
    bool          secure_;
    ReplyFramer   framer_;
    bool          ended_;   // the server has closed, or the connection failed
};
