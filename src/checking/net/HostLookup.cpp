// The name lookup on a worker of the pool, waited for within its bound.
#include "checking/net/HostLookup.h"
#include "checking/net/PoolTask.h"

#include <cstring>

namespace {

struct Lookup {
    char    name[kHostNameSize];
    bool    found;
    in_addr address;

    void perform()
    {
        // The worker keeps the socket library up for itself: the caller may
        // have cleaned up its own use of it long before a slow lookup returns.
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return;
        hostent* host = gethostbyname(name);
        if (host && host->h_addrtype == AF_INET && host->h_addr_list[0]) {
            memcpy(&address, host->h_addr_list[0], sizeof address);
            found = true;
        }
        WSACleanup();
    }
};

}  // namespace

LookupResult lookUpHost(const char* name, in_addr& address, DWORD boundMs, HANDLE abandon)
{
    // A dotted address asks no name server: no thread needed.
    unsigned long dotted = inet_addr(name);
    if (dotted != INADDR_NONE) {
        address.s_addr = dotted;
        return LookupResult::found;
    }

    PoolTask<Lookup>* lookup = PoolTask<Lookup>::create();
    if (!lookup)
        return LookupResult::notFound;
    strncpy(lookup->work.name, name, sizeof lookup->work.name - 1);
    if (!lookup->queue())
        return LookupResult::notFound;

    HANDLE events[2] = {lookup->done(), abandon};
    DWORD woke = WaitForMultipleObjects(abandon ? 2 : 1, events, FALSE, boundMs);
    LookupResult result = LookupResult::timedOut;
    if (woke == WAIT_OBJECT_0) {
        result = lookup->work.found ? LookupResult::found : LookupResult::notFound;
        if (lookup->work.found)
            address = lookup->work.address;
    } else if (woke == WAIT_OBJECT_0 + 1) {
        result = LookupResult::abandoned;
    }
    lookup->release();
    return result;
}
