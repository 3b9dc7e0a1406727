/* Stands in for the user's mail program: notes that it was started, and how,
 * in mailer-ran.txt beside itself, then quits. One line per start:
 *   <full module path><TAB><command line>
 * A GUI program, like a real mailer: no console window appears. */
#include <windows.h>
#include <wchar.h>

static HANDLE openLog(const wchar_t *path)
{
    /* Two copies started together may collide on the file: retry briefly. */
    int attempt;
    for (attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
            return file;
        Sleep(20);
    }
    return INVALID_HANDLE_VALUE;
}

/* In UTF-8, so that a folder name of any language reads back whole. */
static void writeAll(HANDLE file, const wchar_t *text)
{
    char bytes[4 * MAX_PATH + 64];
    DWORD written;
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    if (length > 1)
        WriteFile(file, bytes, (DWORD)(length - 1), &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show)
{
    wchar_t module[MAX_PATH];
    wchar_t log[MAX_PATH + 16];
    wchar_t *slash;
    HANDLE file;
    DWORD n;
    (void)instance; (void)previous; (void)args; (void)show;

    n = GetModuleFileNameW(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    lstrcpyW(log, module);
    slash = wcsrchr(log, L'\\');
    lstrcpyW(slash != NULL ? slash + 1 : log, L"mailer-ran.txt");

    file = openLog(log);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    writeAll(file, module);
    writeAll(file, L"\t");
    writeAll(file, GetCommandLineW());
    writeAll(file, L"\r\n");
    CloseHandle(file);
    return 0;
}
