// Whether this machine is on a network, as its adapters say.
#include "checking/net/NetworkPresence.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <cstdlib>

namespace {

bool isReachableAddress(const SOCKADDR* address)
{
    if (address->sa_family == AF_INET) {
        const BYTE* bytes =
            reinterpret_cast<const BYTE*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
        return bytes[0] != 0 && bytes[0] != 127 && !(bytes[0] == 169 && bytes[1] == 254);
    }
    if (address->sa_family == AF_INET6) {
        const BYTE* bytes = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr.s6_addr;
        if (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80)
            return false;   // fe80::/10
        // :: and ::1
        for (int i = 0; i < 15; ++i) {
            if (bytes[i])
                return true;
        }
        return bytes[15] > 1;
    }
    return false;
}

bool isNetworkAdapter(const IP_ADAPTER_ADDRESSES& adapter)
{
    if (adapter.IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter.IfType == IF_TYPE_TUNNEL ||
        adapter.OperStatus != IfOperStatusUp)
        return false;
    for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter.FirstUnicastAddress; unicast;
         unicast = unicast->Next) {
        if (unicast->Address.lpSockaddr && isReachableAddress(unicast->Address.lpSockaddr))
            return true;
    }
    return false;
}

}  // namespace

bool machineHasNetwork()
{
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                        GAA_FLAG_SKIP_FRIENDLY_NAME;
    // Enough for a dozen adapters; the call says how much more it needs when
    // adapters come and go between two tries.
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 3; ++attempt) {
        IP_ADAPTER_ADDRESSES* adapters = static_cast<IP_ADAPTER_ADDRESSES*>(malloc(size));
        if (!adapters)
            return true;
        ULONG result = GetAdaptersAddresses(AF_UNSPEC, flags, NULL, adapters, &size);
        if (result == ERROR_BUFFER_OVERFLOW) {
            free(adapters);
            continue;
        }
        bool present = result != ERROR_NO_DATA;
        if (result == NO_ERROR) {
            present = false;
            for (const IP_ADAPTER_ADDRESSES* adapter = adapters; adapter && !present; adapter = adapter->Next)
                present = isNetworkAdapter(*adapter);
        }
        free(adapters);
        return present;
    }
    return true;
}
