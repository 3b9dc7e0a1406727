// The account's server field read as host and port.
#include "checking/pop3/ServerAddress.h"

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

bool parseServerAddress(const char* field, ServerAddress& address)
{
    memset(&address, 0, sizeof address);
    address.port = kPop3Port;
    // Blanks that a paste brought along (stored so by earlier versions) are
    // no part of the name.
    while (isBlank(*field))
        ++field;
    const char* end = field + strlen(field);
    while (end > field && isBlank(end[-1]))
        --end;
    const char* colon = static_cast<const char*>(memchr(field, ':', static_cast<size_t>(end - field)));
    size_t hostLength = static_cast<size_t>((colon ? colon : end) - field);
    if (hostLength >= sizeof address.host)
        hostLength = sizeof address.host - 1;
    memcpy(address.host, field, hostLength);
    if (!colon)
        return true;

    const char* digits = colon + 1;
    unsigned long port = 0;
    for (const char* p = digits; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        port = port * 10 + static_cast<unsigned long>(*p - '0');
        if (port > 65535)
            return false;
    }
    if (hostLength == 0 || digits == end || port == 0)
        return false;
    address.port = static_cast<unsigned short>(port);
    address.tls = address.port == kPop3TlsPort;
    return true;
}
