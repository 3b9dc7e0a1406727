// Reading and writing whole records in the INI file with the platform's
// structured profile functions (hex digits plus a one-byte checksum).
#pragma once
#include "config/Records.h"

#include <windows.h>

// Section and key names: existing files depend on them.
extern const char kSettingsSection[];      // "KORVELLIN-Quillora"
extern const char kSettingsKey[];          // "QXDATA"
extern const char kAccountSectionFormat[]; // "USERDATA-NO%d"
extern const char kAccountKey[];           // "DATA"

// Largest record the file holds; reads are staged in a buffer of this size.
const UINT kLargestRecord = sizeof(AccountRecord);

// Reads one value into dest. A missing value, or one of the wrong length or
// with a bad checksum, leaves dest untouched and answers false.
bool readProfileRecord(const char* path, const char* section, const char* key,
                       void* dest, UINT size);
bool writeProfileRecord(const char* path, const char* section, const char* key,
                        const void* source, UINT size);

void accountSectionName(int accountNumber, char (&section)[32]);

// The highest account number, at most limit, whose record the file holds; 0
// when there is none. Takes time in proportion to the sections present.
int highestAccountRecord(int32_t limit);
