// The real program in a folder whose name the ANSI code page cannot spell:
// it still reads and writes the settings file beside itself.
#include "AppDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring widened(const std::string& ansi)
{
    wchar_t wide[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, MAX_PATH);
    return wide;
}

std::string bytesOf(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    char buffer[4096];
    DWORD got = 0;
    std::string bytes;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool writeBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) && written == bytes.size();
    return CloseHandle(file) && whole;
}

struct MainWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<MainWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t caption[64] = L"";
    GetWindowTextW(window, caption, 64);
    if (owner != search->processId || wcscmp(caption, L"Quillora V2.10") != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The folder "Zoë" with a copy of the program, and the program started from
// it; both gone at the end.
class ZoeFolder {
public:
    explicit ZoeFolder(const AppDriver& app)
        : folder_(widened(app.folder()) + L"\\Zo\u00EB"), process_()
    {
        CreateDirectoryW(folder_.c_str(), NULL);
        CopyFileW(widened(app.programPath()).c_str(), path(L"Quillora.exe").c_str(), FALSE);
    }
    ~ZoeFolder()
    {
        if (process_.hProcess) {
            PostMessageW(window_, WM_COMMAND, IDM_EXIT, 0);
            if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(process_.hProcess, 1), WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        for (const wchar_t* name : {L"Quillora.exe", L"Quillora.ini", L"Quillora.new"})
            DeleteFileW(path(name).c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    std::wstring path(const wchar_t* name) const { return folder_ + L"\\" + name; }
    const std::wstring& folder() const { return folder_; }

    // Started from another folder; true once its settings are loaded (the
    // interval's up-down control is made then).
    bool start()
    {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring exe = path(L"Quillora.exe"), commandLine = L"\"" + exe + L"\"";
        wchar_t elsewhere[MAX_PATH];
        GetTempPathW(MAX_PATH, elsewhere);
        if (!CreateProcessW(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, elsewhere, &startup, &process_))
            return false;
        MainWindowSearch search = {process_.dwProcessId, NULL};
        for (DWORD began = GetTickCount(); GetTickCount() - began < 15000; Sleep(20)) {
            if (!search.found)
                EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found && FindWindowExW(search.found, NULL, L"msctls_updown32", NULL)) {
                window_ = search.found;
                return true;
            }
        }
        return false;
    }
    HWND window() const { return window_; }

private:
    std::wstring folder_;
    PROCESS_INFORMATION process_;
    HWND window_ = NULL;
};

}  // namespace

TEST(SettingsPath, AFolderNamedZoeHoldsTheSettingsFileBesideTheProgram)
{
    AppDriver app;   // for its copy of the program
    ZoeFolder zoe(app);
    // Code pages 932 and 936 cannot spell the folder's name, 1252 can: the
    // file is beside the program under each.

    // Report on top and an interval of 7 minutes.
    const std::wstring ini = zoe.path(L"Quillora.ini");
    ASSERT_TRUE(writeBytes(ini, "[KORVELLIN-Quillora]\r\nQXDATA=0100000000000000070000000000000008\r\n"));
    ASSERT_TRUE(zoe.start());
    HWND window = zoe.window();
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(window, IDC_REPORT_ON_TOP, BM_GETCHECK, 0, 0)) << "read";
    wchar_t interval[16] = L"";
    SendDlgItemMessageW(window, IDC_INTERVAL, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(interval));
    EXPECT_STREQ(L"7", interval);

    // Closing the window saves: LAN mode added.
    SendDlgItemMessageW(window, IDC_LAN_MODE, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    const std::string expected = "[KORVELLIN-Quillora]\r\nQXDATA=0100000100000000070000000000000009\r\n";
    std::string saved;
    for (DWORD began = GetTickCount(); (saved = bytesOf(ini)) != expected && GetTickCount() - began < 10000;)
        Sleep(20);
    EXPECT_EQ(expected, saved);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(zoe.path(L"Quillora.new").c_str())) << "the copy took its place";
}
