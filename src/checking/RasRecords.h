// The Remote Access Service records in their first, Windows 95 / NT 4 form.
// MinGW's ras.h declares only the newest layouts; every RAS version accepts
// these by their dwSize.
#pragma once
#include <windows.h>
#include <ras.h>

struct RasConnV1 {
    DWORD    dwSize;
    HRASCONN hrasconn;
    CHAR     szEntryName[RAS_MaxEntryName + 1];
    CHAR     szDeviceType[RAS_MaxDeviceType + 1];
    CHAR     szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RasConnV1) == 412, "RASCONNA as of WINVER 0x400");

struct RasConnStatusV1 {
    DWORD        dwSize;
    RASCONNSTATE rasconnstate;
    DWORD        dwError;
    CHAR         szDeviceType[RAS_MaxDeviceType + 1];
    CHAR         szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RasConnStatusV1) == 160, "RASCONNSTATUSA as of WINVER 0x400");

// Connections beyond this many do not fit the buffer; the query then fails.
const DWORD kRasConnections = 5;
