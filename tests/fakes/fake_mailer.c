/* Stands in for the user's mail program: notes that it was started, and how,
 * in mailer-ran.txt beside itself, then quits. One line per start:
 *   <full module path><TAB><command line>
 * A GUI program, like a real mailer: no console window appears. */
#include <windows.h>
#include <string.h>

static HANDLE openLog(const char *path)
{
    /* Two copies started together may collide on the file: retry briefly. */
    int attempt;
    for (attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
            return file;
        Sleep(20);
    }
    return INVALID_HANDLE_VALUE;
}

static void writeAll(HANDLE file, const char *text)
{
    DWORD written;
    WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show)
{
    char module[MAX_PATH];
    char log[MAX_PATH + 16];
    char *slash;
    HANDLE file;
    DWORD n;
    (void)instance; (void)previous; (void)args; (void)show;

    n = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    lstrcpyA(log, module);
    slash = strrchr(log, '\\');
    lstrcpyA(slash != NULL ? slash + 1 : log, "mailer-ran.txt");

    file = openLog(log);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    writeAll(file, module);
    writeAll(file, "\t");
    writeAll(file, GetCommandLineA());
    writeAll(file, "\r\n");
    CloseHandle(file);
    return 0;
}
