// TLS with the platform's own implementation (SChannel, through secur32 and
// crypt32) over a connected socket: the handshake, the check of the server's
// certificate, and records encrypted and decrypted.
#pragma once
#include "checking/net/BoundedSocket.h"

#define SECURITY_WIN32
#include <security.h>
#include <schannel.h>

enum class TlsResult {
    ready,
    failed,              // no TLS: a plain server, an alert, no version in common
    timedOut,
    untrustedIssuer,     // the chain does not end in a root the Windows store trusts
    wrongName,           // the certificate is not for the host as typed
    notTimeValid,        // expired, or not valid yet
    abandoned,           // the conversation's abandon signal was raised
};

// What receive() answers, besides a socket's answers, once the channel has
// broken after the handshake: the server asked for a new handshake, or a
// record did not decrypt. Nothing more can be sent or received.
const int kReceiveTlsFailed = -2;

class TlsChannel {
public:
    TlsChannel();
    ~TlsChannel();

    // Handshakes with the server as host and checks its certificate. Nothing
    // is to be sent through the channel unless this answers ready.
    TlsResult start(BoundedSocket& socket, const char* host, const Deadline& deadline);
    bool send(const char* bytes, size_t length, const Deadline& deadline);
    // Up to capacity bytes of plain text: the count, kReceiveClosed or
    // kReceiveTimedOut, as a socket answers, or kReceiveTlsFailed.
    int receive(char* bytes, size_t capacity, const Deadline& deadline);
    // Tells the server that nothing more comes (close_notify).
    void shutdown(const Deadline& deadline);

private:
    // The largest record TLS 1.2 allows: its header, 2^14 bytes of text and
    // up to 2048 bytes that encryption adds (RFC 5246, 6.2.3).
    static const size_t kLargestText = 16384;
    static const size_t kLargestRecord = 5 + kLargestText + 2048;

    TlsResult handshake(const Deadline& deadline);
    TlsResult checkCertificate(const Deadline& deadline);
    bool decryptRecord();
    bool receiveRecords(const Deadline& deadline, int& answer);
    bool sendToken(SecBuffer& token, const Deadline& deadline);
    static void freeToken(SecBuffer& token);
    void keepExtra(const SecBuffer& extra);

    BoundedSocket*            socket_;
    CredHandle                credentials_;
    CtxtHandle                context_;
    bool                      haveCredentials_;
    bool                      haveContext_;
    bool                      ended_;    // close_notify, or the connection closed: nothing more comes
    bool                      broken_;   // a renegotiation asked for, or a record that did not decrypt
    SecPkgContext_StreamSizes sizes_;
    // The server's name as typed, the target of the handshake and the name
    // its certificate must carry.
    wchar_t                   host_[kHostNameSize];

    // Bytes as received, not yet decrypted: room for the largest record.
    char   records_[kLargestRecord];
    size_t recordsLength_;
    // Decrypted text not yet handed out.
    char   plain_[kLargestText];
    size_t plainStart_;
    size_t plainLength_;
};
