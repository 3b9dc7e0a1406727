#include "config/SettingsFile.h"
#include "app/MailCheckerApp.h"
#include "config/HeapArray.h"
#include "config/ProfileText.h"
#include "config/SettingsFileChange.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

const char kSettingsSection[] = "KORVELLIN-Quillora";
const char kSettingsKey[] = "QXDATA";
const char kAccountSectionFormat[] = "USERDATA-NO%d";
const char kAccountKey[] = "DATA";

bool readProfileRecord(const char* path, const char* section, const char* key,
                       void* dest, UINT size)
{
    // Decode into a scratch buffer first so that a rejected value cannot
    // leave a half-written record behind.
    BYTE staged[kLargestRecord];
    if (size > sizeof staged)
        return false;
    if (!GetPrivateProfileStructA(section, key, staged, size, path))
        return false;
    memcpy(dest, staged, size);
    return true;
}

bool writeProfileRecord(const char* path, const char* section, const char* key,
                        const void* source, UINT size)
{
    return WritePrivateProfileStructA(section, key, const_cast<void*>(source), size, path) != FALSE;
}

void accountSectionName(int accountNumber, char (&section)[32])
{
    snprintf(section, sizeof section, kAccountSectionFormat, accountNumber);
}

bool TrayApp::settingsFilePath(char (&path)[MAX_PATH])
{
    // The program's own path with "exe" replaced by "ini". A path cut short
    // by the buffer would name some other file: then there is none.
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    memcpy(path + length - 3, "ini", 3);
    return true;
}

int highestAccountRecord(int32_t limit)
{
    char path[MAX_PATH];
    if (!TrayApp::settingsFilePath(path))
        return 0;
    // Looking at the sections the file has, not at every number up to the
    // limit: a count damaged by hand can be two thousand million.
    HeapArray<char> names;
    if (!names.resize(4096))
        return 0;
    while (GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path) ==
           names.size() - 2) {
        if (!names.resize(names.size() * 2))
            return 0;
    }
    int highest = 0;
    for (const char* name = names.data(); *name; name += strlen(name) + 1) {
        int number = accountNumberOfSection(name);
        if (number <= highest || number > limit)
            continue;
        char value[2];
        if (GetPrivateProfileStringA(name, kAccountKey, "", value, sizeof value, path) > 0)
            highest = number;
    }
    return highest;
}

bool MailCheckerApp::readSettingsRecord()
{
    char path[MAX_PATH];
    return settingsFilePath(path) &&
           readProfileRecord(path, kSettingsSection, kSettingsKey, &settings, sizeof settings);
}

bool MailCheckerApp::settleAccountCount(bool settingsRead)
{
    if (!settingsRead) {
        // Options back to their start values; the accounts stay, as many as
        // the file holds.
        memset(&settings, 0, sizeof settings);
        settings.accountCount = highestAccountRecord(INT32_MAX);
        return settings.accountCount == 0;
    }
    // A negative count says nothing about how many accounts there are.
    settings.accountCount = highestAccountRecord(settings.accountCount < 0 ? INT32_MAX : settings.accountCount);
    return true;
}

bool MailCheckerApp::writeSettingsRecord()
{
    SettingsFileChange change;
    change.putSettings(settings);
    return change.commit();
}

bool MailCheckerApp::readAccountRecord(int accountNumber)
{
    char path[MAX_PATH];
    char section[32];
    accountSectionName(accountNumber, section);
    // A record that is missing or damaged comes back empty: keeping the
    // previous one would make it pass for this account (probe it, list it,
    // or copy it over this number when records are renumbered).
    bool read = settingsFilePath(path) &&
                readProfileRecord(path, section, kAccountKey, &workRecord, sizeof workRecord);
    if (!read)
        memset(&workRecord, 0, sizeof workRecord);
    terminateTextFields(workRecord);
    strcpy(workAccount, workRecord.account);
    strcpy(workPassword, workRecord.password);
    return read;
}

bool MailCheckerApp::writeAccountRecord(int accountNumber)
{
    SettingsFileChange change;
    change.putAccount(accountNumber, workRecord, workAccount, workPassword);
    return change.commit();
}
