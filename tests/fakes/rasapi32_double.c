/* A stand-in for rasapi32.dll that reports the dial-up connections a test
 * asks for. Wine's own rasapi32 always says "no connection", so without this
 * the on-line/off-line logic could never be driven.
 *
 * The behaviour is read on every call from rasdouble.ini beside the running
 * exe, section [ras]:
 *   connections=N        0..10 (default 0)
 *   enumResult=E         RasEnumConnectionsA returns E (default 0)
 *   stateK=S             RASCONNSTATE of connection K (default RASCS_Connected)
 *   statusResultK=E      RasGetConnectStatusA on connection K returns E
 * and it writes back enumCalls= and statusCalls= after each call.
 *
 * Failures injected through the INI still fill the caller's records, so a
 * caller that ignores the result sees "connected" and is caught. */
#include <windows.h>
#include <ras.h>
#include <raserror.h>
#include <string.h>

#define DOUBLE_API __declspec(dllexport) DWORD WINAPI

enum { kMaxConnections = 10 };

/* The handles are made up; any value that is not a real pointer will do, as
 * long as each connection has its own. */
#define HANDLE_BASE 0x52A50000u

static const char kSection[] = "ras";
/* Shared with the test-side helper (RasDoubleControl.cpp): the INI is a
 * read-modify-write file touched from two processes. */
static const char kMutexName[] = "QuilloraRasDoubleIni";

/* Record sizes of RASCONNA and RASCONNSTATUSA from Windows 95 to Vista, as
 * the system's rasapi32 knows them. ras.h packs to 4 bytes: on x64 the
 * handle adds 4 bytes to every RASCONNA, and the status records, which hold
 * no handle, keep their sizes. */
#ifdef _WIN64
static const DWORD kConnSizes[] = {416, 680, 696, 708, 724};
#else
static const DWORD kConnSizes[] = {412, 676, 692, 704, 720};
#endif
static const DWORD kStatusSizes[] = {160, 288, 332};

/* The fields every version shares, at the offsets of the first layout. */
#include <pshpack4.h>
typedef struct {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
} ConnHead;

typedef struct {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
} StatusHead;
#include <poppack.h>

typedef struct {
    char path[MAX_PATH];
    HANDLE mutex;
} Ini;

static BOOL knownSize(DWORD size, const DWORD *sizes, int count)
{
    int i;
    for (i = 0; i < count; ++i)
        if (sizes[i] == size)
            return TRUE;
    return FALSE;
}

static void iniOpen(Ini *ini)
{
    char *slash;
    DWORD n = GetModuleFileNameA(NULL, ini->path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        n = 0;
    ini->path[n] = '\0';
    slash = strrchr(ini->path, '\\');
    if (slash == NULL || (slash - ini->path) + 16 >= MAX_PATH)
        slash = ini->path - 1;
    lstrcpyA(slash + 1, "rasdouble.ini");
    ini->mutex = CreateMutexA(NULL, FALSE, kMutexName);
    if (ini->mutex != NULL)
        WaitForSingleObject(ini->mutex, 5000);
}

static void iniClose(Ini *ini)
{
    if (ini->mutex != NULL) {
        ReleaseMutex(ini->mutex);
        CloseHandle(ini->mutex);
    }
}

static DWORD iniGet(const Ini *ini, const char *key, DWORD fallback)
{
    return (DWORD)GetPrivateProfileIntA(kSection, key, (INT)fallback, ini->path);
}

static DWORD iniGetIndexed(const Ini *ini, const char *key, int index1, DWORD fallback)
{
    char name[32];
    wsprintfA(name, "%s%d", key, index1);
    return iniGet(ini, name, fallback);
}

static void iniCount(const Ini *ini, const char *key)
{
    char value[16];
    wsprintfA(value, "%lu", (unsigned long)(iniGet(ini, key, 0) + 1));
    WritePrivateProfileStringA(kSection, key, value, ini->path);
}

static int connectionCount(const Ini *ini)
{
    DWORD n = iniGet(ini, "connections", 0);
    return n > kMaxConnections ? kMaxConnections : (int)n;
}

static HRASCONN handleOf(int index1)
{
    return (HRASCONN)(ULONG_PTR)(HANDLE_BASE + (DWORD)index1);
}

/* 1-based connection number of a handle, or 0 when it is not one of ours. */
static int indexOf(HRASCONN h, int connections)
{
    ULONG_PTR v = (ULONG_PTR)h;
    if (v <= HANDLE_BASE || v > HANDLE_BASE + (ULONG_PTR)connections)
        return 0;
    return (int)(v - HANDLE_BASE);
}

static void fillConnection(BYTE *record, DWORD size, int index1)
{
    ConnHead *head = (ConnHead *)record;
    ZeroMemory(record + sizeof(DWORD), size - sizeof(DWORD));
    head->dwSize = size;
    head->hrasconn = handleOf(index1);
    wsprintfA(head->szEntryName, "Test connection %d", index1);
    lstrcpyA(head->szDeviceType, RASDT_Modem);
    wsprintfA(head->szDeviceName, "Test modem %d", index1);
}

static DWORD enumConnections(LPRASCONNA buffer, LPDWORD lpcb, LPDWORD lpcConnections)
{
    Ini ini;
    DWORD recordSize, needed, result, fits, i;
    int connections;

    /* Every call counts, the malformed ones too. */
    iniOpen(&ini);
    iniCount(&ini, "enumCalls");
    connections = connectionCount(&ini);
    result = iniGet(&ini, "enumResult", 0);
    iniClose(&ini);

    if (lpcb == NULL || lpcConnections == NULL)
        return ERROR_INVALID_PARAMETER;
    if (buffer != NULL) {
        recordSize = buffer->dwSize;
        if (!knownSize(recordSize, kConnSizes, ARRAYSIZE(kConnSizes)))
            return ERROR_INVALID_SIZE;
    } else {
        /* A size query: answer in the newest layout, as current RAS does. */
        recordSize = kConnSizes[ARRAYSIZE(kConnSizes) - 1];
    }

    needed = recordSize * (DWORD)connections;
    fits = buffer != NULL ? *lpcb / recordSize : 0;
    if (fits > (DWORD)connections)
        fits = (DWORD)connections;
    for (i = 0; i < fits; ++i)
        fillConnection((BYTE *)buffer + i * recordSize, recordSize, (int)i + 1);

    if (needed > *lpcb && result == 0)
        result = ERROR_BUFFER_TOO_SMALL;
    *lpcb = needed;
    *lpcConnections = (DWORD)connections;
    return result;
}

DOUBLE_API RasEnumConnectionsA(LPRASCONNA buffer, LPDWORD lpcb, LPDWORD lpcConnections)
{
    return enumConnections(buffer, lpcb, lpcConnections);
}

DOUBLE_API RasGetConnectStatusA(HRASCONN connection, LPRASCONNSTATUSA status)
{
    Ini ini;
    StatusHead *head = (StatusHead *)status;
    DWORD state, result;
    int index1;

    iniOpen(&ini);
    iniCount(&ini, "statusCalls");
    index1 = indexOf(connection, connectionCount(&ini));
    state = iniGetIndexed(&ini, "state", index1, RASCS_Connected);
    result = iniGetIndexed(&ini, "statusResult", index1, 0);
    iniClose(&ini);

    if (status == NULL)
        return ERROR_INVALID_PARAMETER;
    if (!knownSize(status->dwSize, kStatusSizes, ARRAYSIZE(kStatusSizes)))
        return ERROR_INVALID_SIZE;
    if (index1 == 0)
        return ERROR_INVALID_HANDLE;
    ZeroMemory((BYTE *)status + sizeof(DWORD), status->dwSize - sizeof(DWORD));
    head->rasconnstate = (RASCONNSTATE)state;
    head->dwError = result;
    lstrcpyA(head->szDeviceType, RASDT_Modem);
    wsprintfA(head->szDeviceName, "Test modem %d", index1);
    return result;
}

/* Present only so that anything else importing them still loads; the tests
 * need none of them. */
DOUBLE_API RasEnumConnectionsW(LPRASCONNW buffer, LPDWORD lpcb, LPDWORD lpcConnections)
{
    (void)buffer; (void)lpcb; (void)lpcConnections;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DOUBLE_API RasGetConnectStatusW(HRASCONN connection, LPRASCONNSTATUSW status)
{
    (void)connection; (void)status;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DOUBLE_API RasHangUpA(HRASCONN connection)
{
    (void)connection;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DOUBLE_API RasHangUpW(HRASCONN connection)
{
    (void)connection;
    return ERROR_CALL_NOT_IMPLEMENTED;
}
