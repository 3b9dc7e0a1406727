// Repeats the program's everyday work many times and watches the resources
// it holds: kernel handles, USER and GDI objects, private memory. Used by the
// leak test and by the benchmarks.
#pragma once
#include <windows.h>

#include <string>

struct ResourceUsage {
    DWORD handles = 0;
    DWORD userObjects = 0;
    DWORD gdiObjects = 0;
    bool objectsProbed = false;  // the platform counts no objects (Wine): see Soak.cpp
    SIZE_T privateBytes = 0;
    DWORD threads = 0;
};

ResourceUsage currentUsage();
// The same once the thread pool's idle workers have ended (a worker's stack
// is private memory too), waiting at most timeoutMs for the process to be
// back at threadsAtRest threads; threads tells whether it got there.
ResourceUsage usageAtRest(DWORD threadsAtRest, DWORD timeoutMs = 30000);
std::string describe(const ResourceUsage& usage);

// The program's main window and tray icon in this process, as start-up makes
// them, with one account on the given server (settings file beside this exe).
void startProgramInProcess(const char* server, bool reportEveryRound);

// Probes account 1 this many times; every probe that finds mail shows its
// report box (answered by a BoxResponder the caller holds) and moves the tray
// icon.
void probeRepeatedly(int probes);

// Opens the tray menu this many times and closes it again.
void openTrayMenuRepeatedly(int openings);
