// Drives the real Quillora.exe from a test program: a copy in a folder of its
// own (so its settings file is the test's), started as a separate process,
// reached through its windows, its boxes answered from outside.
#pragma once
#include "BoxResponder.h"
#include "TestText.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// Looks every 20 ms until ready answers true; false when the time ran out.
template <typename Predicate>
bool waitUntil(DWORD timeoutMs, Predicate ready)
{
    for (DWORD start = GetTickCount(); !ready(); Sleep(20)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
    return true;
}

// A SendMessage made on a helper thread, for handlers that open boxes or
// dialogs: the test answers them meanwhile, then waits for the handler.
class PendingSend {
public:
    PendingSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    ~PendingSend();
    bool wait(DWORD timeoutMs);   // true once the handler has returned
    bool done() const;

private:
    static DWORD WINAPI run(void* self);
    HWND window_;
    UINT message_;
    WPARAM wParam_;
    LPARAM lParam_;
    HANDLE thread_;
};

class AppDriver {
public:
    AppDriver();
    // The copy in a folder made inside parentFolder.
    explicit AppDriver(const std::string& parentFolder);
    ~AppDriver();

    const std::string& folder() const { return folder_; }
    std::string programPath() const;
    std::string iniPath() const;

    // Starts the program and waits for its main window.
    bool start();
    // Starts another copy of the same program file (it should be refused).
    HANDLE startSecondCopy();
    bool isRunning() const;
    // The program's exit code, or STILL_ACTIVE when it did not end in time.
    DWORD waitForExit(DWORD timeoutMs);
    // Ends the program through the tray menu's exit command.
    bool exitProgram();
    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }

    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Synchronous; only for handlers that open nothing modal.
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    std::unique_ptr<PendingSend> sendInBackground(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void command(int id) { post(WM_COMMAND, id, 0); }
    // Returns once the program has handled every message posted to it
    // before, or is waiting in a box or dialog that one of them opened.
    bool sync();

    // Controls of the main window or of a dialog of the program
    bool isChecked(HWND dialog, int id);
    void click(HWND dialog, int id);    // a real click: toggles check boxes, sends the command
    std::string itemText(HWND dialog, int id);
    void setItemText(HWND dialog, int id, const std::string& text);   // Shift_JIS
    void setItemText(HWND dialog, int id, const std::wstring& text);
    std::vector<std::string> listLines();
    void selectLine(int line);

    // Top-level windows of the program
    HWND waitForWindow(const char* caption, DWORD timeoutMs = 10000);
    bool windowGone(HWND window, DWORD timeoutMs = 10000);
    // Waits for the next box not yet answered, answers it and says what it showed.
    bool answerBox(int button, SeenBox& seen, DWORD timeoutMs = 15000);
    SeenBox answerBox(int button, DWORD timeoutMs = 15000);
    // True when no box appears within the time.
    bool noBoxWithin(DWORD timeoutMs);

    // Whether the shell still knows the program's tray icon.
    bool trayIconPresent();

    // Ends the program and starts it again on the same folder and settings file.
    bool restart();

private:
    HWND findBox();

    std::string folder_;
    PROCESS_INFORMATION process_ = {};
    DWORD processId_ = 0;
    HWND window_ = NULL;
    std::vector<HWND> answered_;
    unsigned syncCount_ = 0;
};

