// The chain parameters with their later fields, among them the bound on
// fetching a missing certificate; wincrypt.h declares them only when asked.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include "checking/net/TlsChannel.h"

#include <cstring>
#include <wincrypt.h>

namespace {

const DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;

// A POP3 command with its record header and trailer fits easily.
const size_t kLargestMessage = 2048;

// A TLS record starts with its content type (20 to 23) and the major
// version 3. A plain POP3 server greets with "+OK" instead; some TLS
// implementations would take that for the start of a long record and wait
// for the rest of it.
bool looksLikeTls(const char* bytes, size_t length)
{
    if (length == 0)
        return false;
    unsigned char type = static_cast<unsigned char>(bytes[0]);
    return type >= 20 && type <= 23 && (length < 2 || bytes[1] == 3);
}

SecBuffer buffer(unsigned long type, void* bytes = NULL, size_t length = 0)
{
    SecBuffer b;
    b.cbBuffer = static_cast<unsigned long>(length);
    b.BufferType = type;
    b.pvBuffer = bytes;
    return b;
}

SecBufferDesc bufferList(SecBuffer* buffers, unsigned long count)
{
    SecBufferDesc list;
    list.ulVersion = SECBUFFER_VERSION;
    list.cBuffers = count;
    list.pBuffers = buffers;
    return list;
}

// The host name is ASCII (a name with any other byte does not resolve, and
// no certificate carries one); widened here byte by byte, so that nothing
// depends on the ANSI code page.
bool widenAscii(const char* text, wchar_t* wide, size_t capacity)
{
    size_t i = 0;
    for (; text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c > 0x7F || i + 1 >= capacity)
            return false;
        wide[i] = c;
    }
    wide[i] = L'\0';
    return true;
}

// Which check a certificate failed. The policy alone is not enough: Wine's
// SSL policy passes a chain whose issuer it does not know, which only the
// chain's own trust status tells.
TlsResult verdict(DWORD policyError, DWORD chainErrors)
{
    if (policyError == 0 && chainErrors == 0)
        return TlsResult::ready;
    if (policyError == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
        return TlsResult::wrongName;
    if (policyError == static_cast<DWORD>(CERT_E_EXPIRED) || (chainErrors & CERT_TRUST_IS_NOT_TIME_VALID))
        return TlsResult::notTimeValid;
    return TlsResult::untrustedIssuer;
}

}  // namespace

TlsChannel::TlsChannel()
    : socket_(NULL), haveCredentials_(false), haveContext_(false), ended_(false), broken_(false), sizes_(),
      host_(), recordsLength_(0), plainStart_(0), plainLength_(0)
{
}

TlsChannel::~TlsChannel()
{
    if (haveContext_)
        DeleteSecurityContext(&context_);
    if (haveCredentials_)
        FreeCredentialsHandle(&credentials_);
}

TlsResult TlsChannel::start(BoundedSocket& socket, const char* host, const Deadline& deadline)
{
    socket_ = &socket;
    if (!widenAscii(host, host_, sizeof host_ / sizeof host_[0]))
        return TlsResult::failed;
    // TLS 1.2 only: older versions are not safe, and the credentials record
    // that every SChannel accepts cannot ask for 1.3. The certificate is
    // checked below, not by SChannel, whose own check Wine leaves out. No
    // client certificate: SChannel is not to pick one by itself either.
    SCHANNEL_CRED wanted = {};
    wanted.dwVersion = SCHANNEL_CRED_VERSION;
    wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    wanted.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
    if (AcquireCredentialsHandleW(NULL, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, NULL,
                                  &wanted, NULL, NULL, &credentials_, NULL) != SEC_E_OK)
        return TlsResult::failed;
    haveCredentials_ = true;

    TlsResult result = handshake(deadline);
    if (result != TlsResult::ready)
        return result;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
        return TlsResult::failed;
    return checkCertificate(deadline);
}

TlsResult TlsChannel::handshake(const Deadline& deadline)
{
    // The host name goes in as the target: it is also the name the server
    // is asked for (SNI).
    ULONG attributes = 0;
    SecBuffer out = buffer(SECBUFFER_TOKEN);
    SecBufferDesc outList = bufferList(&out, 1);
    SECURITY_STATUS status = InitializeSecurityContextW(&credentials_, NULL, host_, kContextFlags, 0, 0, NULL,
                                                        0, &context_, &outList, &attributes, NULL);
    if (status != SEC_I_CONTINUE_NEEDED)
        return TlsResult::failed;
    haveContext_ = true;
    if (!sendToken(out, deadline))
        return socket_->abandoned() ? TlsResult::abandoned : TlsResult::failed;

    bool needMore = true;
    bool certificateAsked = false;
    for (;;) {
        // Every step, the ones that wait for nothing included, is inside the bound.
        if (deadline.remainingMs() == 0)
            return TlsResult::timedOut;
        if (needMore) {
            int answer;
            if (!receiveRecords(deadline, answer))
                return answer == kReceiveTimedOut    ? TlsResult::timedOut
                       : answer == kReceiveAbandoned ? TlsResult::abandoned
                                                     : TlsResult::failed;
            if (!looksLikeTls(records_, recordsLength_))
                return TlsResult::failed;
        }
        // Without the second, empty buffer Wine refuses the token.
        SecBuffer in[2] = {buffer(SECBUFFER_TOKEN, records_, recordsLength_), buffer(SECBUFFER_EMPTY)};
        SecBufferDesc inList = bufferList(in, 2);
        out = buffer(SECBUFFER_TOKEN);
        status = InitializeSecurityContextW(&credentials_, &context_, host_, kContextFlags, 0, 0, &inList, 0,
                                            NULL, &outList, &attributes, NULL);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            needMore = true;
            continue;
        }
        if (status == SEC_I_INCOMPLETE_CREDENTIALS && !certificateAsked) {
            // The server asks for a client certificate (Windows' SChannel says
            // so; Wine's goes on by itself). There is none to give: asked
            // again with the same records, SChannel goes on without one, and
            // the server decides whether that will do. Its certificate is
            // checked as always.
            certificateAsked = true;
            freeToken(out);
            needMore = false;
            continue;
        }
        // Sent even when the handshake failed: it may be the alert that says why.
        bool sent = sendToken(out, deadline);
        if (socket_->abandoned())
            return TlsResult::abandoned;
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
            return TlsResult::failed;
        if (!sent)
            return TlsResult::failed;
        // What follows the handshake's last record is kept: very often the
        // server's greeting comes with it, and no receive would bring it again.
        if (in[1].BufferType == SECBUFFER_EXTRA)
            keepExtra(in[1]);
        else
            recordsLength_ = 0;
        if (status == SEC_E_OK)
            return TlsResult::ready;
        needMore = recordsLength_ == 0;
    }
}

TlsResult TlsChannel::checkCertificate(const Deadline& deadline)
{
    PCCERT_CONTEXT certificate = NULL;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate)
        return TlsResult::untrustedIssuer;

    LPSTR serverAuth[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainRequest = {};
    chainRequest.cbSize = sizeof chainRequest;
    chainRequest.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainRequest.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainRequest.RequestedUsage.Usage.rgpszUsageIdentifier = serverAuth;
    // Windows may fetch an intermediate certificate the server left out, or
    // an update of the roots, over HTTP. It is given the time the
    // conversation has left, but takes that as the bound of each address it
    // fetches, not of the whole chain, which can take longer. With no time
    // left the chain is built from what is at hand.
    DWORD remaining = deadline.remainingMs();
    chainRequest.dwUrlRetrievalTimeout = remaining ? remaining : 1;
    // The server's intermediate certificates come in the certificate's own store.
    PCCERT_CHAIN_CONTEXT chain = NULL;
    TlsResult result = TlsResult::untrustedIssuer;
    if (CertGetCertificateChain(NULL, certificate, NULL, certificate->hCertStore, &chainRequest, 0, NULL,
                                &chain)) {
        HTTPSPolicyCallbackData ssl = {};
        ssl.cbStruct = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = host_;
        CERT_CHAIN_POLICY_PARA policy = {};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status = {};
        status.cbSize = sizeof status;
        if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status))
            result = verdict(status.dwError, chain->TrustStatus.dwErrorStatus);
        CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(certificate);
    return result;
}

bool TlsChannel::send(const char* bytes, size_t length, const Deadline& deadline)
{
    char message[kLargestMessage];
    if (broken_ || length > sizes_.cbMaximumMessage ||
        sizes_.cbHeader + length + sizes_.cbTrailer > sizeof message)
        return false;
    memcpy(message + sizes_.cbHeader, bytes, length);
    SecBuffer parts[4] = {
        buffer(SECBUFFER_STREAM_HEADER, message, sizes_.cbHeader),
        buffer(SECBUFFER_DATA, message + sizes_.cbHeader, length),
        buffer(SECBUFFER_STREAM_TRAILER, message + sizes_.cbHeader + length, sizes_.cbTrailer),
        buffer(SECBUFFER_EMPTY),
    };
    SecBufferDesc list = bufferList(parts, 4);
    if (EncryptMessage(&context_, 0, &list, 0) != SEC_E_OK)
        return false;
    return socket_->send(message, parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer, deadline);
}

int TlsChannel::receive(char* bytes, size_t capacity, const Deadline& deadline)
{
    while (plainLength_ == 0) {
        if (broken_)
            return kReceiveTlsFailed;
        if (ended_)
            return kReceiveClosed;
        if (recordsLength_ > 0 && decryptRecord())
            continue;
        int answer;
        if (!broken_ && !ended_ && !receiveRecords(deadline, answer)) {
            if (answer == kReceiveClosed)
                ended_ = true;
            return answer;
        }
    }
    size_t length = capacity < plainLength_ ? capacity : plainLength_;
    memcpy(bytes, plain_ + plainStart_, length);
    plainStart_ += length;
    plainLength_ -= length;
    return static_cast<int>(length);
}

// Decrypts the first whole record held. False when none is whole yet (or
// the channel has ended or broken); true once its text, if any, is in plain_.
bool TlsChannel::decryptRecord()
{
    SecBuffer parts[4] = {buffer(SECBUFFER_DATA, records_, recordsLength_), buffer(SECBUFFER_EMPTY),
                          buffer(SECBUFFER_EMPTY), buffer(SECBUFFER_EMPTY)};
    SecBufferDesc list = bufferList(parts, 4);
    SECURITY_STATUS status = DecryptMessage(&context_, &list, 0, NULL);
    if (status == SEC_E_INCOMPLETE_MESSAGE)
        return false;
    if (status == SEC_I_CONTEXT_EXPIRED) {
        ended_ = true;   // Windows' word for the server's close_notify
        return false;
    }
    if (status != SEC_E_OK) {
        // A new handshake asked for (SEC_I_RENEGOTIATE: Wine cannot do one,
        // and four short commands never need one) or a broken record: the
        // channel cannot go on, and that is a TLS failure, not a closed
        // connection.
        broken_ = true;
        return false;
    }
    const SecBuffer* extra = NULL;
    for (const SecBuffer& part : parts) {
        if (part.BufferType == SECBUFFER_DATA) {
            if (part.cbBuffer > sizeof plain_) {
                broken_ = true;   // more text than a record may hold
                return false;
            }
            memcpy(plain_, part.pvBuffer, part.cbBuffer);
            plainStart_ = 0;
            plainLength_ = part.cbBuffer;
        } else if (part.BufferType == SECBUFFER_EXTRA) {
            extra = &part;
        }
    }
    if (extra)
        keepExtra(*extra);
    else
        recordsLength_ = 0;
    return true;
}

// Adds what one receive brings to the records held. False with answer set
// to kReceiveClosed, kReceiveTimedOut or kReceiveTlsFailed when nothing came.
bool TlsChannel::receiveRecords(const Deadline& deadline, int& answer)
{
    if (recordsLength_ == sizeof records_) {
        // Room for the largest record, and still not a whole one: no TLS.
        broken_ = true;
        answer = kReceiveTlsFailed;
        return false;
    }
    answer = socket_->receive(records_ + recordsLength_, sizeof records_ - recordsLength_, deadline);
    if (answer <= 0)
        return false;
    recordsLength_ += static_cast<size_t>(answer);
    return true;
}

void TlsChannel::keepExtra(const SecBuffer& extra)
{
    // The extra bytes are the last ones held.
    memmove(records_, records_ + recordsLength_ - extra.cbBuffer, extra.cbBuffer);
    recordsLength_ = extra.cbBuffer;
}

bool TlsChannel::sendToken(SecBuffer& token, const Deadline& deadline)
{
    bool sent = !token.pvBuffer || token.cbBuffer == 0 ||
                socket_->send(static_cast<const char*>(token.pvBuffer), token.cbBuffer, deadline);
    freeToken(token);
    return sent;
}

void TlsChannel::freeToken(SecBuffer& token)
{
    if (token.pvBuffer)
        FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = NULL;
}

void TlsChannel::shutdown(const Deadline& deadline)
{
    if (!haveContext_ || ended_ || broken_)
        return;
    DWORD kind = SCHANNEL_SHUTDOWN;
    SecBuffer control = buffer(SECBUFFER_TOKEN, &kind, sizeof kind);
    SecBufferDesc controlList = bufferList(&control, 1);
    if (ApplyControlToken(&context_, &controlList) != SEC_E_OK)
        return;
    SecBuffer out = buffer(SECBUFFER_TOKEN);
    SecBufferDesc outList = bufferList(&out, 1);
    ULONG attributes = 0;
    InitializeSecurityContextW(&credentials_, &context_, NULL, kContextFlags, 0, 0, NULL, 0, NULL, &outList,
                               &attributes, NULL);
    sendToken(out, deadline);
    ended_ = true;
}
