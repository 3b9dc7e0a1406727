#include "config/FileSteps.h"
#include "config/SettingsFile.h"

#include <cstring>
#include <cwchar>

namespace {

// Nothing tells when another program lets go of a file: the tries are
// spaced by a pause.
const DWORD kPauseMs = 50;

// A file open elsewhere without the sharing asked for gives a sharing
// violation. Access denied is final: a folder in the file's place, a file
// the user may not read or change.
bool heldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A file that any other handle holds open refuses to be replaced with access
// denied, whatever that handle shares: the same error as a file this user may
// not replace. The target tells which: a held file is one that can be opened
// for deletion, or that another handle holds without sharing it.
bool replaceRefusedByHold(const wchar_t* target)
{
    const DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    HANDLE file = CreateFileW(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return heldByAnother(GetLastError());
    CloseHandle(file);
    return true;
}

// True after a pause when the step is worth another try; false with the
// step's error kept.
bool pauseIfHeld(const Deadline& deadline)
{
    const DWORD error = GetLastError();
    const DWORD left = deadline.remainingMs();
    if (!heldByAnother(error) || left == 0) {
        SetLastError(error);
        return false;
    }
    Sleep(left < kPauseMs ? left : kPauseMs);
    return true;
}

}  // namespace

void siblingPath(const wchar_t* path, const wchar_t* extension, wchar_t (&sibling)[MAX_PATH])
{
    wcscpy(sibling, path);
    memcpy(sibling + wcslen(sibling) - 3, extension, 3 * sizeof(wchar_t));
}

const wchar_t* fileNameOf(const wchar_t* path)
{
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

bool fileAbsent(const wchar_t* path)
{
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

HANDLE openWhenFree(const wchar_t* path, DWORD access, DWORD share, const Deadline& deadline)
{
    for (;;) {
        HANDLE file = CreateFileW(path, access, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || !pauseIfHeld(deadline))
            return file;
    }
}

bool readFileWhenFree(const wchar_t* path, HeapArray<char>& bytes, const Deadline& deadline)
{
    HANDLE file = openWhenFree(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, deadline);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool read = readWholeFile(file, bytes);
    CloseHandle(file);
    return read;
}

bool moveFileWhenFree(const wchar_t* from, const wchar_t* to, DWORD flags, const Deadline& deadline)
{
    while (!MoveFileExW(from, to, flags)) {
        if (GetLastError() == ERROR_ACCESS_DENIED && (flags & MOVEFILE_REPLACE_EXISTING) && replaceRefusedByHold(to))
            SetLastError(ERROR_SHARING_VIOLATION);
        if (!pauseIfHeld(deadline))
            return false;
    }
    return true;
}

bool keepAside(const wchar_t* path, KeptPath& kept, const Deadline& deadline)
{
    const size_t length = wcslen(path);
    if (length >= MAX_PATH)
        return false;
    for (wchar_t number = L'1'; number <= L'9'; ++number) {
        wcscpy(kept, path);
        wcscpy(kept + length, L".bad");
        if (number > L'1') {
            kept[length + 4] = number;
            kept[length + 5] = L'\0';
        }
        if (moveFileWhenFree(path, kept, MOVEFILE_WRITE_THROUGH, deadline))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}
