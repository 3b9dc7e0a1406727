// The account's server field: a host name, optionally followed by ":port".
// Port 995 means POP3 over TLS; a bare host is plain POP3 on port 110, as it
// always was. Plain text handling, so that it builds and is tested anywhere.
#pragma once
#include "config/Records.h"

const unsigned short kPop3Port = 110;
const unsigned short kPop3TlsPort = 995;

struct ServerAddress {
    char           host[sizeof(AccountRecord::server)];
    unsigned short port;
    bool           tls;
};

// Blanks around the field are left out. False when a ':' is there but no
// host before it, or no number from 1 to 65535 (decimal digits only) after it.
bool parseServerAddress(const char* field, ServerAddress& address);
