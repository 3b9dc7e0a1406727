// The settings file's names, and its values read from its bytes.
#include "config/SettingsFile.h"
#include "config/HeldFiles.h"
#include "config/Records.h"
#include "config/SiblingFiles.h"

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
