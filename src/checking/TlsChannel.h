// TLS with the platform's own implementation (SChannel, through secur32 and
// crypt32) over a connected socket: the handshake, the check of the server's
// certificate, and records encrypted and decrypted.
#pragma once
#include "checking/BoundedSocket.h"

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
};

class TlsChannel {
public:
    TlsChannel();
    ~TlsChannel();

    // Handshakes with the server as host and checks its certificate. Nothing
    // is to be sent through the channel unless this answers ready.
    TlsResult start(BoundedSocket& socket, const char* host, const Deadline& deadline);
    bool send(const char* bytes, size_t length);
    // Up to capacity bytes of plain text: the count, kReceiveClosed or
    // kReceiveTimedOut, as a socket answers.
    int receive(char* bytes, size_t capacity, const Deadline& deadline);
    // Tells the server that nothing more comes (close_notify).
    void shutdown();

private:
    TlsResult handshake(const char* host, const Deadline& deadline);
    TlsResult checkCertificate(const char* host);
    bool decryptRecord();
    bool receiveRecords(const Deadline& deadline, int& answer);
    bool sendToken(SecBuffer& token);
    void keepExtra(const SecBuffer& extra);

    BoundedSocket*            socket_;
    CredHandle                credentials_;
    CtxtHandle                context_;
    bool                      haveCredentials_;
    bool                      haveContext_;
    bool                      ended_;   // close_notify or a broken record: nothing more comes
    SecPkgContext_StreamSizes sizes_;

    // Bytes as received, not yet decrypted: room for the largest record.
    char   records_[16384 + 2048];
    size_t recordsLength_;
    // Decrypted text not yet handed out.
    char   plain_[16384];
    size_t plainStart_;
    size_t plainLength_;
};
