// The steps that wait for another program to let go of a file.
#include "config/HeldFiles.h"

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

bool readWholeFile(HANDLE file, HeapArray<char>& bytes)
{
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || !bytes.resize(size))
        return false;
    DWORD got = 0;
    return size == 0 || (ReadFile(file, bytes.data(), size, &got, NULL) && got == size);
}
