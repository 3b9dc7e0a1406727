// What the report of a probe needs of its account, taken when the probe
// starts: while its worker runs, and while boxes are up, the store reads
// other accounts.
#pragma once
#include "config/Records.h"

#include <windows.h>

struct ProbedAccount {
    int            number;
    WCHAR          userName[sizeof(AccountRecord::userName)];
    bool           launchMailer;
    WCHAR          mailerPath[MAX_PATH];
    unsigned short port;   // of the server field: its boxes name it
    bool           tls;
};
