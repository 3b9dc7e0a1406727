// The Remote Access Service asked whether a dial-up connection is up.
#include "checking/DialupConnection.h"
#include "checking/RasRecords.h"

bool dialupConnectionIsUp()
{
    RasConnV1 connections[kRasConnections] = {};
    connections[0].dwSize = sizeof(RasConnV1);
    DWORD bufferSize = sizeof connections;
    DWORD count = 0;
    // Six or more connections fail with ERROR_BUFFER_TOO_SMALL, which counts
    // as not connected.
    if (RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(connections), &bufferSize, &count) != 0)
        return false;
    if (count > kRasConnections)
        count = kRasConnections;

    RasConnStatusV1 status = {};
    for (DWORD i = 0; i < count; ++i) {
        status.dwSize = sizeof status;
        if (RasGetConnectStatusA(connections[i].hrasconn,
                                 reinterpret_cast<LPRASCONNSTATUSA>(&status)) != 0)
            continue;
        if (status.rasconnstate == RASCS_Connected)
            return true;
    }
    return false;
}
