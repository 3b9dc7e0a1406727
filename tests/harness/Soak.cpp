#include "Soak.h"
#include "AppFixture.h"

#include "OpenMenu.h"
#include "TestSettings.h"
#include "app/MailCheckerApp.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

// Kernel handles counted one by one, for platforms whose
// GetProcessHandleCount does not answer (Wine's says 0).
DWORD countHandlesByProbing()
{
    DWORD count = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

// Where GetGuiResources does not answer (Wine), the objects are counted by
// asking for each 16-bit handle value, which that platform takes for any
// generation of the handle: menus and this process's windows for USER, every
// GDI object for GDI (the stock objects included, a constant).
DWORD countUserObjectsByProbing()
{
    DWORD count = 0;
    const DWORD self = GetCurrentProcessId();
    for (UINT_PTR value = 0x20; value <= 0xFFFF; value += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++count;
        } else if (IsWindow(reinterpret_cast<HWND>(value))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(reinterpret_cast<HWND>(value), &owner);
            count += owner == self;
        }
    }
    return count;
}

DWORD countGdiObjectsByProbing()
{
    DWORD count = 0;
    for (UINT_PTR value = 1; value <= 0xFFFF; ++value)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
    return count;
}

DWORD countThreads()
{
    DWORD count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == self;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

ResourceUsage currentUsage()
{
    ResourceUsage usage;
    HANDLE process = GetCurrentProcess();
    if (!GetProcessHandleCount(process, &usage.handles) || usage.handles == 0)
        usage.handles = countHandlesByProbing();
    usage.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    usage.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    usage.objectsProbed = usage.userObjects == 0;
    if (usage.objectsProbed) {
        usage.userObjects = countUserObjectsByProbing();
        usage.gdiObjects = countGdiObjectsByProbing();
    }
    // PagefileUsage is the private committed memory; Wine leaves PrivateUsage 0.
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    usage.privateBytes = memory.PagefileUsage;
    usage.threads = countThreads();
    return usage;
}

ResourceUsage usageAtRest(DWORD threadsAtRest, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (countThreads() > threadsAtRest && GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(50);
    }
    return currentUsage();
}

std::string describe(const ResourceUsage& usage)
{
    char objects[64];
    snprintf(objects, sizeof objects, usage.objectsProbed ? "%lu USER, %lu GDI (probed)" : "%lu USER, %lu GDI",
             usage.userObjects, usage.gdiObjects);
    char text[160];
    snprintf(text, sizeof text, "%lu handles, %s, %lu KiB private, %lu threads", usage.handles, objects,
             static_cast<unsigned long>(usage.privateBytes / 1024), usage.threads);
    return text;
}

void startProgramInProcess(const char* server, bool reportEveryRound)
{
    using namespace testsettings;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    SettingsRecord settings = makeSettings(1, 0);
    settings.reportUnread = reportEveryRound ? 1 : 0;
    settings.reportPerUser = 1;
    writeSettings(ownIniPath(), settings);
    writeAccount(ownIniPath(), 1, makeAccount("soak", "user", "pass", server));

    theApp.findSettingsFile();
    theApp.openMainWindow(GetModuleHandleA(NULL));
    theApp.scheduler.stopTimer(theApp.mainWindow);   // the soak drives everything itself
}

void probeRepeatedly(int probes)
{
    for (int i = 0; i < probes; ++i) {
        runRound();
    }
}

namespace {

void CALLBACK closeOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (openMenuOfThisThread()) {
        KillTimer(NULL, timer);
        EndMenu();
    }
}

}  // namespace

void openTrayMenuRepeatedly(int openings)
{
    for (int i = 0; i < openings; ++i) {
        SetTimer(NULL, 0, 1, closeOpenMenu);
        SendMessageA(theApp.mainWindow, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}
