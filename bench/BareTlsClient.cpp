#include "BareTlsClient.h"

#define SECURITY_WIN32
#include <winsock.h>
#include <security.h>
#include <schannel.h>
#include <wincrypt.h>

#include <string>

namespace {

const DWORD kFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                     ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;

struct Session {
    SOCKET socket;
    CredHandle credentials;
    CtxtHandle context;
    SecPkgContext_StreamSizes sizes;
    char records[20000];
    int held = 0;
};

bool sendAll(SOCKET s, const void* bytes, int length)
{
    return send(s, static_cast<const char*>(bytes), length, 0) == length;
}

bool handshake(Session& s, const char* host)
{
    SecBuffer out = {0, SECBUFFER_TOKEN, NULL};
    SecBufferDesc outList = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes;
    char* target = const_cast<char*>(host);
    SECURITY_STATUS status = InitializeSecurityContextA(&s.credentials, NULL, target, kFlags, 0, 0, NULL, 0,
                                                        &s.context, &outList, &attributes, NULL);
    sendAll(s.socket, out.pvBuffer, out.cbBuffer);
    FreeContextBuffer(out.pvBuffer);
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE) {
        if (s.held == 0 || status == SEC_E_INCOMPLETE_MESSAGE) {
            int got = recv(s.socket, s.records + s.held, sizeof s.records - s.held, 0);
            if (got <= 0)
                return false;
            s.held += got;
        }
        SecBuffer in[2] = {{static_cast<unsigned long>(s.held), SECBUFFER_TOKEN, s.records},
                           {0, SECBUFFER_EMPTY, NULL}};
        SecBufferDesc inList = {SECBUFFER_VERSION, 2, in};
        out = {0, SECBUFFER_TOKEN, NULL};
        status = InitializeSecurityContextA(&s.credentials, &s.context, target, kFlags, 0, 0, &inList, 0, NULL,
                                            &outList, &attributes, NULL);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        if (out.pvBuffer) {
            sendAll(s.socket, out.pvBuffer, out.cbBuffer);
            FreeContextBuffer(out.pvBuffer);
        }
        if (in[1].BufferType == SECBUFFER_EXTRA) {
            memmove(s.records, s.records + s.held - in[1].cbBuffer, in[1].cbBuffer);
            s.held = in[1].cbBuffer;
        } else {
            s.held = 0;
        }
    }
    return status == SEC_E_OK;
}

bool chainIsTrusted(Session& s, const char* host)
{
    PCCERT_CONTEXT certificate = NULL;
    QueryContextAttributesA(&s.context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    CERT_CHAIN_PARA request = {};
    request.cbSize = sizeof request;
    PCCERT_CHAIN_CONTEXT chain = NULL;
    bool trusted = false;
    if (certificate &&
        CertGetCertificateChain(NULL, certificate, NULL, certificate->hCertStore, &request, 0, NULL, &chain)) {
        WCHAR name[64] = {};
        MultiByteToWideChar(CP_ACP, 0, host, -1, name, 63);
        HTTPSPolicyCallbackData ssl = {};
        ssl.cbStruct = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = name;
        CERT_CHAIN_POLICY_PARA policy = {};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status = {};
        status.cbSize = sizeof status;
        trusted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
                  status.dwError == 0 && chain->TrustStatus.dwErrorStatus == 0;
        CertFreeCertificateChain(chain);
    }
    if (certificate)
        CertFreeCertificateContext(certificate);
    return trusted;
}

// One record in, decrypted in place; Dovecot answers each command in one.
bool readRecord(Session& s)
{
    for (;;) {
        if (s.held > 0) {
            SecBuffer parts[4] = {{static_cast<unsigned long>(s.held), SECBUFFER_DATA, s.records},
                                  {0, SECBUFFER_EMPTY, NULL}, {0, SECBUFFER_EMPTY, NULL}, {0, SECBUFFER_EMPTY, NULL}};
            SecBufferDesc list = {SECBUFFER_VERSION, 4, parts};
            SECURITY_STATUS status = DecryptMessage(&s.context, &list, 0, NULL);
            if (status == SEC_E_OK) {
                int extra = 0;
                for (const SecBuffer& part : parts)
                    if (part.BufferType == SECBUFFER_EXTRA)
                        extra = part.cbBuffer;
                memmove(s.records, s.records + s.held - extra, extra);
                s.held = extra;
                return true;
            }
            if (status != SEC_E_INCOMPLETE_MESSAGE)
                return false;
        }
        int got = recv(s.socket, s.records + s.held, sizeof s.records - s.held, 0);
        if (got <= 0)
            return false;
        s.held += got;
    }
}

bool sendCommand(Session& s, const std::string& command)
{
    char message[2048];
    memcpy(message + s.sizes.cbHeader, command.data(), command.size());
    SecBuffer parts[4] = {
        {s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, message},
        {static_cast<unsigned long>(command.size()), SECBUFFER_DATA, message + s.sizes.cbHeader},
        {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, message + s.sizes.cbHeader + command.size()},
        {0, SECBUFFER_EMPTY, NULL}};
    SecBufferDesc list = {SECBUFFER_VERSION, 4, parts};
    return EncryptMessage(&s.context, 0, &list, 0) == SEC_E_OK &&
           sendAll(s.socket, message, parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer);
}

}  // namespace

bool bareTlsProbe(const char* host, const char* user, const char* password)
{
    static Session s;
    s.held = 0;
    hostent* found = gethostbyname(host);
    if (!found)
        return false;
    s.socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(995);
    memcpy(&to.sin_addr, found->h_addr_list[0], sizeof to.sin_addr);
    SCHANNEL_CRED wanted = {};
    wanted.dwVersion = SCHANNEL_CRED_VERSION;
    wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    wanted.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
    bool ok = connect(s.socket, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
              AcquireCredentialsHandleA(NULL, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, NULL,
                                        &wanted, NULL, NULL, &s.credentials, NULL) == SEC_E_OK;
    ok = ok && handshake(s, host) && chainIsTrusted(s, host) &&
         QueryContextAttributesA(&s.context, SECPKG_ATTR_STREAM_SIZES, &s.sizes) == SEC_E_OK && readRecord(s);
    const std::string commands[] = {"USER " + std::string(user) + "\r\n", "PASS " + std::string(password) + "\r\n",
                                    "STAT\r\n", "QUIT\r\n"};
    for (const std::string& command : commands)
        ok = ok && sendCommand(s, command) && readRecord(s);
    DeleteSecurityContext(&s.context);
    FreeCredentialsHandle(&s.credentials);
    closesocket(s.socket);
    return ok;
}
