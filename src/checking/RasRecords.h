// The Remote Access Service records in their first, Windows 95 / NT 4 form.
// MinGW's ras.h declares only the newest layouts; every RAS version accepts
// these by their dwSize.
#pragma once
#include <windows.h>
#include <ras.h>
#include <stddef.h>

// ras.h packs its records to 4 bytes on every architecture, so a handle
// follows dwSize without a gap on x64 too; these must be packed alike.
#include <pshpack4.h>

struct RasConnV1 {
    DWORD    dwSize;
    HRASCONN hrasconn;
    CHAR     szEntryName[RAS_MaxEntryName + 1];
    CHAR     szDeviceType[RAS_MaxDeviceType + 1];
    CHAR     szDeviceName[RAS_MaxDeviceName + 1];
};

struct RasConnStatusV1 {
    DWORD        dwSize;
    RASCONNSTATE rasconnstate;
    DWORD        dwError;
    CHAR         szDeviceType[RAS_MaxDeviceType + 1];
    CHAR         szDeviceName[RAS_MaxDeviceName + 1];
};

#include <poppack.h>

// The first form is the newest one cut before the fields WINVER 0x401 added,
// padded to the records' 4-byte packing.
#define QUILLORA_PACKED4(size) (((size) + 3) & ~static_cast<size_t>(3))
static_assert(sizeof(RasConnV1) == QUILLORA_PACKED4(offsetof(RASCONNA, szPhonebook)),
              "RASCONNA as of WINVER 0x400");
static_assert(sizeof(RasConnStatusV1) == QUILLORA_PACKED4(offsetof(RASCONNSTATUSA, szPhoneNumber)),
              "RASCONNSTATUSA as of WINVER 0x400");
#undef QUILLORA_PACKED4
#ifdef _WIN64
static_assert(sizeof(RasConnV1) == 416, "RASCONNA as of WINVER 0x400 on x64");
#else
static_assert(sizeof(RasConnV1) == 412, "RASCONNA as of WINVER 0x400 on x86");
#endif
static_assert(sizeof(RasConnStatusV1) == 160, "RASCONNSTATUSA as of WINVER 0x400, on x86 and x64");

// Connections beyond this many do not fit the buffer; the query then fails.
const DWORD kRasConnections = 5;
