#include "AppDriver.h"

#include "resources/resource.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#ifndef QUILLORA_EXE
#error "QUILLORA_EXE must name the Quillora.exe under test"
#endif

namespace {

const char kMainCaption[] = "Quillora V2.10";

std::string tempFolder()
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    return std::string(temp, length && temp[length - 1] == '\\' ? length - 1 : length);
}

std::string makeFolder(const std::string& parent)
{
    char folder[MAX_PATH];
    for (unsigned n = GetTickCount();; ++n) {
        snprintf(folder, sizeof folder, "%s\\quillora-%lu-%u", parent.c_str(), GetCurrentProcessId(), n);
        if (CreateDirectoryA(folder, NULL))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return folder;   // start() will fail and say so
    }
}

std::string ownFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path;
}

void removeFolder(const std::string& folder)
{
    std::string pattern = folder + "\\*";
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string path = folder + "\\" + entry.cFileName;
            if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0)
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK findByCaption(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    if (windowTextOf(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

PendingSend::PendingSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    : window_(window), message_(message), wParam_(wParam), lParam_(lParam)
{
    thread_ = CreateThread(NULL, 0, run, this, 0, NULL);
}

PendingSend::~PendingSend()
{
    wait(30000);
    CloseHandle(thread_);
}

DWORD WINAPI PendingSend::run(void* self)
{
    auto* send = static_cast<PendingSend*>(self);
    SendMessageA(send->window_, send->message_, send->wParam_, send->lParam_);
    return 0;
}

bool PendingSend::wait(DWORD timeoutMs) { return WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0; }
bool PendingSend::done() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }

AppDriver::AppDriver() : AppDriver(tempFolder()) {}

AppDriver::AppDriver(const std::string& parentFolder) : folder_(makeFolder(parentFolder))
{
    CopyFileA(QUILLORA_EXE, programPath().c_str(), FALSE);
    // The test double of the Remote Access Service, when the test has one.
    std::string ras = ownFolder() + "\\rasapi32.dll";
    CopyFileA(ras.c_str(), (folder_ + "\\rasapi32.dll").c_str(), FALSE);
}

AppDriver::~AppDriver()
{
    if (isRunning() && !exitProgram()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    if (process_.hProcess) {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    removeFolder(folder_);
}

std::string AppDriver::programPath() const { return folder_ + "\\Quillora.exe"; }
std::string AppDriver::iniPath() const { return folder_ + "\\Quillora.ini"; }

namespace {

// Under Wine a start has failed at once, before anything of the program
// ran (seen once, on a fresh machine): the error is printed and the start
// tried again.
bool launch(const std::string& program, const std::string& folder, PROCESS_INFORMATION& process)
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + program + "\"";
        if (CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                           &startup, &process))
            return true;
        fprintf(stderr, "CreateProcess of %s failed with %lu (try %d)\n", program.c_str(), GetLastError(),
                attempt);
        Sleep(500);
    }
    return false;
}

}  // namespace

bool AppDriver::start()
{
    if (!launch(programPath(), folder_, process_))
        return false;
    processId_ = process_.dwProcessId;
    WindowSearch search = {processId_, kMainCaption, NULL};
    bool found = waitUntil(15000, [&] {
        search.found = NULL;
        EnumWindows(findByCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != NULL;
    });
    window_ = search.found;
    // The main window exists before start-up has finished. The interval's
    // up-down control is made when the settings have been loaded; after that
    // a posted marker is handled only in a message loop: the program's own,
    // or that of a box that start-up showed.
    return found &&
           waitUntil(15000, [&] { return FindWindowExA(window_, NULL, "msctls_updown32", NULL) != NULL; }) &&
           sync();
}

HANDLE AppDriver::startSecondCopy()
{
    PROCESS_INFORMATION second = {};
    if (!launch(programPath(), folder_, second))
        return NULL;
    CloseHandle(second.hThread);
    return second.hProcess;
}

bool AppDriver::isRunning() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD AppDriver::waitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool AppDriver::exitProgram()
{
    command(IDM_EXIT);
    return waitForExit(10000) != STILL_ACTIVE;
}

void AppDriver::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(window_, message, wParam, lParam);
}

LRESULT AppDriver::send(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(window_, message, wParam, lParam);
}

std::unique_ptr<PendingSend> AppDriver::sendInBackground(UINT message, WPARAM wParam, LPARAM lParam)
{
    return std::make_unique<PendingSend>(window_, message, wParam, lParam);
}

bool AppDriver::sync()
{
    // Sent messages overtake posted ones, so the marker is posted: once the
    // program has handled it, it has handled everything posted before. The
    // marker is a text limit on the read-only interval edit, which nothing
    // else uses; its value can be read back.
    HWND marker = GetDlgItem(window_, IDC_INTERVAL);
    WPARAM limit = 0x7FFF0000 + (++syncCount_ & 0xFFFF);
    if (!PostMessageA(marker, EM_SETLIMITTEXT, limit, 0))
        return false;
    return waitUntil(30000, [&] {
        DWORD_PTR current = 0;
        SendMessageTimeoutA(marker, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 1000, &current);
        return current == limit;
    });
}

bool AppDriver::isChecked(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void AppDriver::click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string AppDriver::itemText(HWND dialog, int id)
{
    return windowTextOf(GetDlgItem(dialog, id));
}

void AppDriver::setItemText(HWND dialog, int id, const std::string& text)
{
    setItemText(dialog, id, fromShiftJis(text));
}

void AppDriver::setItemText(HWND dialog, int id, const std::wstring& text)
{
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> AppDriver::listLines()
{
    // Across processes the list answers LB_GETTEXT in UTF-16 only.
    std::vector<std::string> lines;
    HWND list = GetDlgItem(window_, IDC_ACCOUNT_LIST);
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t wide[256] = L"";
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        lines.push_back(shiftJis(wide));
    }
    return lines;
}

void AppDriver::selectLine(int line)
{
    SendDlgItemMessageA(window_, IDC_ACCOUNT_LIST, LB_SETCURSEL, line, 0);
}

HWND AppDriver::waitForWindow(const char* caption, DWORD timeoutMs)
{
    WindowSearch search = {processId_, caption, NULL};
    waitUntil(timeoutMs, [&] {
        search.found = NULL;
        EnumWindows(findByCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != NULL && IsWindowVisible(search.found);
    });
    return search.found;
}

bool AppDriver::windowGone(HWND window, DWORD timeoutMs)
{
    return waitUntil(timeoutMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

namespace {

struct BoxSearch {
    DWORD processId;
    const std::vector<HWND>* answered;
    HWND found;
};

BOOL CALLBACK findUnansweredBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || !isMessageBox(window))
        return TRUE;
    const std::vector<HWND>& answered = *search->answered;
    if (std::find(answered.begin(), answered.end(), window) != answered.end())
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND AppDriver::findBox()
{
    BoxSearch search = {processId_, &answered_, NULL};
    EnumWindows(findUnansweredBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// How far the box's icon on screen is from a system icon drawn on the same
// background: 0 when they are the same picture.
long iconDistance(HDC shot, int width, int height, LPCSTR systemIcon)
{
    HDC drawn = CreateCompatibleDC(shot);
    HBITMAP bitmap = CreateCompatibleBitmap(shot, width, height);
    HGDIOBJ previous = SelectObject(drawn, bitmap);
    HBRUSH background = CreateSolidBrush(GetPixel(shot, 0, 0));
    RECT all = {0, 0, width, height};
    FillRect(drawn, &all, background);
    DrawIconEx(drawn, 0, 0, LoadIconA(NULL, systemIcon), width, height, 0, NULL, DI_NORMAL);
    long distance = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF a = GetPixel(drawn, x, y), b = GetPixel(shot, x, y);
            distance += abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) +
                        abs(GetBValue(a) - GetBValue(b));
        }
    }
    SelectObject(drawn, previous);
    DeleteObject(background);
    DeleteObject(bitmap);
    DeleteDC(drawn);
    return distance;
}

// The system icon a box of another process shows, once it has been painted.
BoxIcon iconOnScreen(HWND box)
{
    HWND icon = GetDlgItem(box, kBoxIconId);
    if (!icon || !IsWindowVisible(icon) || !SendMessageA(icon, STM_GETICON, 0, 0))
        return BoxIcon::none;
    RECT area;
    GetWindowRect(icon, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(NULL);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(shot, bitmap);
    BoxIcon found = BoxIcon::none;
    waitUntil(3000, [&] {
        BitBlt(shot, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        for (const SystemIcon& candidate : kSystemIcons) {
            if (iconDistance(shot, width, height, candidate.id) == 0)
                found = candidate.icon;
        }
        return found != BoxIcon::none;
    });
    SelectObject(shot, previous);
    DeleteObject(bitmap);
    DeleteDC(shot);
    ReleaseDC(NULL, screen);
    return found;
}

}  // namespace

bool AppDriver::answerBox(int button, SeenBox& seen, DWORD timeoutMs)
{
    HWND box = NULL;
    if (!waitUntil(timeoutMs, [&] { return (box = findBox()) != NULL; }))
        return false;
    seen = describeBox(box);
    // Icon handles mean nothing across processes: read the icon off the screen.
    if (seen.icon == BoxIcon::none)
        seen.icon = iconOnScreen(box);
    seen.answer = button;
    answered_.push_back(box);
    PostMessageA(box, WM_COMMAND, button, 0);
    return true;
}

SeenBox AppDriver::answerBox(int button, DWORD timeoutMs)
{
    SeenBox seen;
    if (!answerBox(button, seen, timeoutMs))
        seen.caption = "(no box)";
    return seen;
}

bool AppDriver::noBoxWithin(DWORD timeoutMs)
{
    return !waitUntil(timeoutMs, [&] { return findBox() != NULL; });
}

bool AppDriver::trayIconPresent()
{
    // Changing nothing succeeds exactly when the shell knows the icon.
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window_;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool AppDriver::restart()
{
    if (!exitProgram())
        return false;
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
    window_ = NULL;
    answered_.clear();
    return start();
}


