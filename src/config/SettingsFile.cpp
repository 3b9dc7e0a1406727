#include "config/SettingsFile.h"
#include "app/MailCheckerApp.h"

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

void TrayApp::settingsFilePath(char (&path)[MAX_PATH])
{
    // The program's own path with "exe" replaced by "ini".
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length >= MAX_PATH)
        length = MAX_PATH - 1;
    path[length] = '\0';
    if (length >= 3)
        memcpy(path + length - 3, "ini", 3);
}

bool MailCheckerApp::readSettingsRecord()
{
    char path[MAX_PATH];
    settingsFilePath(path);
    return readProfileRecord(path, kSettingsSection, kSettingsKey, &settings, sizeof settings);
}

bool MailCheckerApp::writeSettingsRecord()
{
    char path[MAX_PATH];
    settingsFilePath(path);
    return writeProfileRecord(path, kSettingsSection, kSettingsKey, &settings, sizeof settings);
}

bool MailCheckerApp::readAccountRecord(int accountNumber)
{
    char path[MAX_PATH];
    char section[32];
    settingsFilePath(path);
    accountSectionName(accountNumber, section);
    // A record that is missing or damaged comes back empty: keeping the
    // previous one would make it pass for this account (probe it, list it,
    // or copy it over this number when records are renumbered).
    bool read = readProfileRecord(path, section, kAccountKey, &workRecord, sizeof workRecord);
    if (!read)
        memset(&workRecord, 0, sizeof workRecord);
    terminateTextFields(workRecord);
    return read;
}

bool MailCheckerApp::writeAccountRecord(int accountNumber)
{
    char path[MAX_PATH];
    char section[32];
    settingsFilePath(path);
    accountSectionName(accountNumber, section);
    return writeProfileRecord(path, section, kAccountKey, &workRecord, sizeof workRecord);
}
