// The least a POP3 check over TLS can do with SChannel: connect, handshake,
// check the certificate chain, then one record for the greeting and for the
// answers to USER, PASS, STAT and QUIT. The yardstick for the program's probe.
#pragma once

// Resolves host as any client must, then talks POP3 over TLS on port 995.
bool bareTlsProbe(const char* host, const char* user, const char* password);
