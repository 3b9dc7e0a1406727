#include "config/SettingsFile.h"
#include "app/MailCheckerApp.h"
#include "config/FileSteps.h"
#include "config/SettingsFileChange.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

const char kSettingsSection[] = "KORVELLIN-Quillora";
const char kSettingsKey[] = "QXDATA";
const char kAccountSectionFormat[] = "USERDATA-NO%d";
const char kAccountKey[] = "DATA";
const char kLongAccountKey[] = "ACCOUNT";
const char kLongPasswordKey[] = "PASSWORD";

namespace {

// The highest account number the stored count lets the program look at. A
// negative count, or none, says nothing about how many accounts there are.
int32_t accountNumberLimit(bool settingsRead, int32_t storedCount)
{
    return !settingsRead || storedCount < 0 ? INT32_MAX : storedCount;
}

// The whole text of a record's field: the one stored beside the record when
// the field holds exactly as much of it as fits, otherwise the field. An
// earlier version that changed the record left that key as it was, and the
// record as it left it is what counts.
template <unsigned N>
void readWholeText(const ProfileText& text, const char* section, const char* key, const char (&field)[N],
                   char (&whole)[kLongTextSize])
{
    static_assert(N <= kLongTextSize, "a field fits in the whole text");
    memcpy(whole, field, N);
    const char* value;
    size_t length;
    if (!text.find(section, key, value, length) || length < 2 || length % 2 != 0)
        return;
    const size_t size = (length - 2) / 2;
    char stored[kLongTextSize];
    if (size >= kLongTextSize || !decodeProfileValue(value, length, stored, size) || memchr(stored, '\0', size))
        return;
    stored[size] = '\0';
    char cut[N];
    fitText(cut, stored);
    if (size >= N && strcmp(cut, field) == 0)
        memcpy(whole, stored, size + 1);
}

}  // namespace

void accountSectionName(int accountNumber, char (&section)[32])
{
    snprintf(section, sizeof section, kAccountSectionFormat, accountNumber);
}

void widenName(const char* name, wchar_t (&wide)[32])
{
    size_t i = 0;
    for (; name[i] && i < 31; ++i)
        wide[i] = static_cast<unsigned char>(name[i]);
    wide[i] = L'\0';
}

bool TrayApp::settingsFilePath(wchar_t (&path)[MAX_PATH])
{
    // The program's own path with "exe" replaced by "ini". A path cut short
    // by the buffer would name some other file: then there is none. The W
    // function names any folder; the A one only those the ANSI code page
    // can spell.
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) {
        path[0] = L'\0';
        return false;
    }
    memcpy(path + length - 3, L"ini", 3 * sizeof(wchar_t));
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

bool readSettingsText(ProfileText& text)
{
    wchar_t path[MAX_PATH];
    if (!TrayApp::settingsFilePath(path))
        return false;
    HeapArray<char> bytes;
    if (!readFileWhenFree(path, bytes, Deadline::inMs(kHeldFileWaitMs))) {
        // The first start: nothing stored yet.
        if (!fileAbsent(path))
            return false;
        bytes.resize(0);
    }
    return text.take(bytes.begin(), bytes.size());
}

bool holdsSettingsValue(const HeapArray<char>& bytes)
{
    ProfileText text;
    SettingsRecord settings;
    return text.take(bytes.begin(), bytes.size()) &&
           text.readRecord(kSettingsSection, kSettingsKey, &settings, sizeof settings);
}

bool holdsEveryCountedRecord(const HeapArray<char>& bytes)
{
    ProfileText text;
    SettingsRecord settings;
    if (!text.take(bytes.begin(), bytes.size()) ||
        !text.readRecord(kSettingsSection, kSettingsKey, &settings, sizeof settings))
        return false;
    // The first record that does not read ends the look: a huge count costs
    // no more than the records there are.
    for (int32_t n = 1; n <= settings.accountCount; ++n) {
        char section[32];
        accountSectionName(n, section);
        AccountRecord record;
        if (!text.readRecord(section, kAccountKey, &record, sizeof record))
            return false;
    }
    return true;
}

bool accountRecordsBeyondSlots(const ProfileText& text, bool settingsRead, int32_t storedCount)
{
    return text.highestAccountSection(kAccountKey, accountNumberLimit(settingsRead, storedCount)) > kMaxAccounts;
}

bool MailCheckerApp::readSettingsRecord()
{
    ProfileText text;
    return readSettingsText(text) && readSettingsRecord(text);
}

bool MailCheckerApp::readSettingsRecord(const ProfileText& text)
{
    return text.readRecord(kSettingsSection, kSettingsKey, &settings, sizeof settings);
}

bool MailCheckerApp::settleAccountCount(const ProfileText& text, bool settingsRead)
{
    const int32_t limit = accountNumberLimit(settingsRead, settings.accountCount);
    // Options back to their start values; the accounts stay, as many as the
    // file holds.
    if (!settingsRead)
        memset(&settings, 0, sizeof settings);
    // Each account checked needs a status slot. Records beyond them stay in
    // the file as they are; start-up says so.
    settings.accountCount = text.highestAccountSection(kAccountKey, limit < kMaxAccounts ? limit : kMaxAccounts);
    return settingsRead || text.highestAccountSection(kAccountKey, INT32_MAX) == 0;
}

bool MailCheckerApp::writeSettingsRecord()
{
    SettingsFileChange change;
    change.putSettings(settings);
    return change.commit();
}

bool MailCheckerApp::readAccountRecord(int accountNumber)
{
    // A file that cannot be read holds no record for the caller.
    ProfileText text, none;
    return readAccountRecord(readSettingsText(text) ? text : none, accountNumber);
}

bool MailCheckerApp::readAccountRecord(const ProfileText& text, int accountNumber)
{
    char section[32];
    accountSectionName(accountNumber, section);
    // A record that is missing or damaged comes back empty: keeping the
    // previous one would make it pass for this account (probe it, list it,
    // or copy it over this number when records are renumbered).
    bool read = text.readRecord(section, kAccountKey, &workRecord, sizeof workRecord);
    if (!read)
        memset(&workRecord, 0, sizeof workRecord);
    terminateTextFields(workRecord);
    readWholeText(text, section, kLongAccountKey, workRecord.account, workAccount);
    readWholeText(text, section, kLongPasswordKey, workRecord.password, workPassword);
    return read;
}

bool MailCheckerApp::writeAccountRecord(int accountNumber)
{
    SettingsFileChange change;
    change.putAccount(accountNumber, workRecord, workAccount, workPassword);
    return change.commit();
}
