#include "checking/net/HostLookup.h"

#include <cstdlib>
#include <cstring>

namespace {

// Shared by the caller and the lookup thread; whichever lets go last frees it.
struct Lookup {
    LONG    holders;
    HANDLE  done;
    char    name[kHostNameSize];
    bool    found;
    in_addr address;
};

void release(Lookup* lookup)
{
    if (InterlockedDecrement(&lookup->holders) == 0) {
        CloseHandle(lookup->done);
        free(lookup);
    }
}

DWORD WINAPI lookUpOnItsOwn(LPVOID parameter)
{
    Lookup* lookup = static_cast<Lookup*>(parameter);
    // The thread keeps the socket library up for itself: the caller may have
    // cleaned up its own use of it long before a slow lookup returns.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) == 0) {
        hostent* host = gethostbyname(lookup->name);
        if (host && host->h_addrtype == AF_INET && host->h_addr_list[0]) {
            memcpy(&lookup->address, host->h_addr_list[0], sizeof lookup->address);
            lookup->found = true;
        }
        WSACleanup();
    }
    SetEvent(lookup->done);
    release(lookup);
    return 0;
}

}  // namespace

LookupResult lookUpHost(const char* name, in_addr& address, DWORD boundMs, HANDLE abandon)
{
    // A dotted address asks no name server: no thread needed.
    unsigned long dotted = inet_addr(name);
    if (dotted != INADDR_NONE) {
        address.s_addr = dotted;
        return LookupResult::found;
    }

    Lookup* lookup = static_cast<Lookup*>(calloc(1, sizeof(Lookup)));
    if (!lookup)
        return LookupResult::notFound;
    lookup->holders = 2;
    lookup->done = CreateEventW(NULL, TRUE, FALSE, NULL);
    strncpy(lookup->name, name, sizeof lookup->name - 1);
    // A worker of the system's thread pool: it is kept between lookups, where
    // a thread of its own would be made anew, at a cost, for every probe.
    if (!lookup->done || !QueueUserWorkItem(lookUpOnItsOwn, lookup, WT_EXECUTELONGFUNCTION)) {
        if (lookup->done)
            CloseHandle(lookup->done);
        free(lookup);
        return LookupResult::notFound;
    }

    HANDLE events[2] = {lookup->done, abandon};
    DWORD woke = WaitForMultipleObjects(abandon ? 2 : 1, events, FALSE, boundMs);
    LookupResult result = LookupResult::timedOut;
    if (woke == WAIT_OBJECT_0) {
        result = lookup->found ? LookupResult::found : LookupResult::notFound;
        if (lookup->found)
            address = lookup->address;
    } else if (woke == WAIT_OBJECT_0 + 1) {
        result = LookupResult::abandoned;
    }
    release(lookup);
    return result;
}
