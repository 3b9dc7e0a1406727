#include "TestLan.h"
#include "AppDriver.h"
#include "HostShell.h"

#include <winsock2.h>
#include <iphlpapi.h>

namespace {

bool lanAdapterIs(bool up)
{
    ULONG size = 16384;
    std::vector<char> buffer(size);
    auto adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (GetAdaptersAddresses(AF_UNSPEC, 0, NULL, adapter, &size) != NO_ERROR)
        return false;
    for (; adapter && adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK; adapter = adapter->Next) {
    }
    return adapter && (adapter->OperStatus == IfOperStatusUp) == up;
}

}  // namespace

bool changeLan(const std::vector<std::vector<std::string>>& commands, bool up)
{
    for (const auto& command : commands) {
        if (runOnHost(command) != 0)
            return false;
    }
    return waitUntil(5000, [up] { return lanAdapterIs(up); });
}

bool setLan(bool up)
{
    return changeLan({{"ip", "link", "set", "a0", up ? "up" : "down"}}, up);
}

bool restoreLan()
{
    // Down first: once Windows reports it up, it reports its address too.
    return changeLan({{"ip", "link", "set", "a0", "down"},
                      {"ip", "addr", "flush", "dev", "a0"},
                      {"ip", "addr", "add", "10.123.0.1/24", "dev", "a0"},
                      {"ip", "link", "set", "a0", "up"}}, true);
}
