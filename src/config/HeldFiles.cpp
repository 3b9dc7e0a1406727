// The steps that wait for another program to let go of a file.
#include "config/HeldFiles.h"

namespace {

// Nothing tells when another program lets go of a file: the tries are
// spaced by a pause.
const DWORD kPauseMs = 50;

// A file open elsewhere without the sharing asked for gives a sharing
// violation; one open at all refuses to be replaced with access denied (the
// same error as a file the user may not change, which costs the wait).
bool heldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
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
