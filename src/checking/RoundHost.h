// What the round needs of the program around it, filled in by the app once
// the main window exists: the checking code knows nothing of the app.
#pragma once
#include <windows.h>

struct RoundHost {
    // The main window: the scheduler's timer, the check boxes read as live
    // options, the owner of the mail program started, and where a probe's
    // end and what follows a round are posted.
    HWND window;
    // Shows one of the tray's pictures with its tip.
    void (*setTrayIcon)(int iconId, const wchar_t* tip);
    // Whether the dial-up monitor last saw no connection.
    bool (*dialupOffline)();
};
