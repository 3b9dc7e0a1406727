// The names beside the settings file, and a damaged file set aside.
#include "config/SiblingFiles.h"
#include "config/HeldFiles.h"

#include <cstring>
#include <cwchar>

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

bool setAsideAsBad(const wchar_t* path, BadFilePath& badPath, const Deadline& deadline)
{
    const size_t length = wcslen(path);
    if (length >= MAX_PATH)
        return false;
    for (wchar_t number = L'1'; number <= L'9'; ++number) {
        wcscpy(badPath, path);
        wcscpy(badPath + length, L".bad");
        if (number > L'1') {
            badPath[length + 4] = number;
            badPath[length + 5] = L'\0';
        }
        if (moveFileWhenFree(path, badPath, MOVEFILE_WRITE_THROUGH, deadline))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}
