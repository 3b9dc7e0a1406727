#include "TestLan.h"
#include "AppDriver.h"
#include "HostShell.h"

#include <winsock2.h>
#include <iphlpapi.h>

bool changeLan(const std::vector<std::vector<std::string>>& commands)
{
    for (const auto& command : commands) {
        if (runOnHost(command) != 0)
            return false;
    }
    return true;
}

// Wine reads the adapters anew at every call.
bool lanAdapterShows(bool up, int firstOctet)
{
    ULONG size = 16384;
    std::vector<char> buffer(size);
    auto adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (GetAdaptersAddresses(AF_INET, 0, NULL, adapter, &size) != NO_ERROR)
        return false;
    for (; adapter; adapter = adapter->Next) {
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK || (adapter->OperStatus == IfOperStatusUp) != up)
            continue;
        for (auto address = adapter->FirstUnicastAddress; address; address = address->Next) {
            auto v4 = reinterpret_cast<const sockaddr_in*>(address->Address.lpSockaddr);
            if (v4->sin_addr.S_un.S_un_b.s_b1 == firstOctet)
                return true;
        }
    }
    return false;
}

bool setLan(bool up)
{
    return changeLan({{"ip", "link", "set", "a0", up ? "up" : "down"}}) &&
           waitUntil(5000, [up] { return lanAdapterShows(up); });
}

bool restoreLan()
{
    return changeLan({{"ip", "addr", "flush", "dev", "a0"}, {"ip", "addr", "add", "10.123.0.1/24", "dev", "a0"}}) &&
           setLan(true);
}
