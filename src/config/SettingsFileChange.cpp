#include "config/SettingsFileChange.h"
#include "app/TrayApp.h"
#include "config/ProfileText.h"
#include "config/SettingsFile.h"
#include "config/ShiftJisCut.h"

#include <cstring>

SettingsFileChange::SettingsFileChange() : failed_(true), committed_(false)
{
    copyPath_[0] = '\0';
    if (!TrayApp::settingsFilePath(filePath_))
        return;
    // Beside the file, so that moving it there is one step; a name of the
    // same length, so that it fits wherever the file's own name does.
    strcpy(copyPath_, filePath_);
    memcpy(copyPath_ + strlen(copyPath_) - 3, "new", 3);

    // A copy that an interrupted change left behind is stale.
    SetFileAttributesA(copyPath_, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copyPath_);

    DWORD attributes = GetFileAttributesA(filePath_);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // No file yet: the first registration or the first close starts
        // from an empty one. Any other reason not to see it is a failure,
        // or the file would be replaced by one holding only this change.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return;
        HANDLE copy = CreateFileA(copyPath_, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (copy == INVALID_HANDLE_VALUE)
            return;
        CloseHandle(copy);
    } else {
        // Windows does not replace a read-only file, and the profile
        // functions do not write one; Wine run as root would do both.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return;
        if (!CopyFileA(filePath_, copyPath_, TRUE))
            return;
    }
    failed_ = false;
}

SettingsFileChange::~SettingsFileChange()
{
    if (!committed_ && copyPath_[0])
        DeleteFileA(copyPath_);
}

void SettingsFileChange::putSettings(const SettingsRecord& settings)
{
    SettingsRecord stored = settings;
    clearUnusedBytes(stored);
    put(kSettingsSection, kSettingsKey, &stored, sizeof stored);
}

void SettingsFileChange::putAccount(int accountNumber, const AccountRecord& record, const char* account,
                                    const char* password)
{
    AccountRecord stored = record;
    memset(stored.account, 0, sizeof stored.account);
    memcpy(stored.account, account, shiftJisFit(account, sizeof stored.account - 1));
    memset(stored.password, 0, sizeof stored.password);
    memcpy(stored.password, password, shiftJisFit(password, sizeof stored.password - 1));
    clearUnusedBytes(stored);
    char section[32];
    accountSectionName(accountNumber, section);
    put(section, kAccountKey, &stored, sizeof stored);
}

void SettingsFileChange::removeAccount(int accountNumber)
{
    char section[32];
    accountSectionName(accountNumber, section);
    put(section, kAccountKey, NULL, 0);
}

// A record of NULL takes the key out.
void SettingsFileChange::put(const char* section, const char* key, const void* record, UINT size)
{
    if (failed_)
        return;
    bool done = record ? writeProfileRecord(copyPath_, section, key, record, size)
                       : WritePrivateProfileStringA(section, key, NULL, copyPath_) != FALSE;
    if (!done) {
        failed_ = true;
        return;
    }
    Written value;
    strncpy(value.section, section, sizeof value.section - 1);
    value.section[sizeof value.section - 1] = '\0';
    value.key = key;
    value.removed = record == NULL;
    value.value[0] = '\0';
    if (record)
        encodeProfileValue(record, size, value.value);
    if (!written_.push(value))
        failed_ = true;
}

bool SettingsFileChange::commit()
{
    if (failed_)
        return false;
    // Has the profile functions put everything on disk and forget the copy:
    // what is checked next is what the disk holds, not what they remember.
    WritePrivateProfileStringA(NULL, NULL, NULL, copyPath_);
    if (!copyHoldsEverything())
        return false;
    if (!MoveFileExA(copyPath_, filePath_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    committed_ = true;
    return true;
}

// Wine's profile functions answer success on a full disk although the file
// was cut short, so the copy's own bytes are the only proof.
bool SettingsFileChange::copyHoldsEverything()
{
    HANDLE copy = CreateFileA(copyPath_, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (copy == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(copy, NULL);
    HeapArray<char> text;
    DWORD got = 0;
    bool read = size != INVALID_FILE_SIZE && text.resize(size + 1) &&
                ReadFile(copy, text.data(), size, &got, NULL) && got == size;
    // On disk before it takes the file's place: after a crash there is
    // either the old file or the new one, never an empty one.
    bool kept = read && FlushFileBuffers(copy);
    CloseHandle(copy);
    if (!kept)
        return false;
    ProfileText onDisk;
    if (!onDisk.take(text.data(), got))
        return false;
    for (const Written& value : written_) {
        if (onDisk.holds(value.section, value.key, value.removed ? nullptr : value.value) == value.removed)
            return false;
    }
    return true;
}
