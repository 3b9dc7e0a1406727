// The settings file's names, and its values read from its bytes.
#include "config/SettingsFile.h"
#include "config/HeldFiles.h"
#include "config/Records.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

const char kSettingsSection[] = "KORVELLIN-Quillora";
const char kSettingsKey[] = "QXDATA";
const char kAccountSectionFormat[] = "USERDATA-NO%d";
const char kAccountKey[] = "DATA";
const char kLongAccountKey[] = "ACCOUNT";
const char kLongPasswordKey[] = "PASSWORD";

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

bool readSettingsText(const wchar_t* path, ProfileText& text)
{
    // Read as it stands: a file another program holds is not waited for.
    HeapArray<char> bytes;
    return readFileWhenFree(path, bytes, Deadline::inMs(0)) && text.take(bytes.begin(), bytes.size());
}

bool holdsSettingsValue(const HeapArray<char>& bytes)
{
    ProfileText text;
    SettingsRecord settings;
    return text.take(bytes.begin(), bytes.size()) &&
           text.readRecord(kSettingsSection, kSettingsKey, &settings, sizeof settings);
}
