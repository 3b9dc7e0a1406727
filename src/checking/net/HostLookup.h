// Name resolution with a bound: the resolver of the system may wait on a
// slow name server for as long as it likes, and the program must not.
#pragma once
#include "checking/net/BoundedSocket.h"

enum class LookupResult { found, notFound, timedOut, abandoned };

// The first address of the host. The lookup runs on a worker thread; one
// that runs out of time, or whose caller sets the abandon event (NULL for
// none), is left to finish there and touches nothing of the caller's when it
// does.
LookupResult lookUpHost(const char* name, in_addr& address, DWORD boundMs, HANDLE abandon);
