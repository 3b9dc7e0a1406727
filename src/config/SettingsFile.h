// The settings file beside the program: its path, its text, and the records
// in it, each stored as the structured profile functions store one (hex
// digits plus a one-byte checksum). Values are read from the file's own
// bytes rather than through the profile functions: on Windows those do not
// see a first section behind a UTF-8 byte-order mark and take a UTF-16 BE
// file for ANSI text, and Notepad saves both.
#pragma once
#include "config/HeapArray.h"
#include "config/ProfileText.h"
#include "config/Records.h"

#include <windows.h>

// Section and key names: existing files depend on them.
extern const char kSettingsSection[];      // "KORVELLIN-Quillora"
extern const char kSettingsKey[];          // "QXDATA"
extern const char kAccountSectionFormat[]; // "USERDATA-NO%d"
extern const char kAccountKey[];           // "DATA"
// An account name and a password too long for the record's fields, whole,
// in the account's section beside its record.
extern const char kLongAccountKey[];       // "ACCOUNT"
extern const char kLongPasswordKey[];      // "PASSWORD"

void accountSectionName(int accountNumber, char (&section)[32]);
// The names are ASCII; the W profile functions take them a character a byte.
void widenName(const char* name, wchar_t (&wide)[32]);

// An open file from its start to its end; false when it cannot be read whole.
bool readWholeFile(HANDLE file, HeapArray<char>& bytes);
// The settings file's text as it stands on disk, waiting as a save does while
// another program holds the file; a file that does not exist reads as empty
// text. False when it cannot be read: held past the bound, no right to read
// it, a folder in its place.
bool readSettingsText(ProfileText& text);
// Whether a file's bytes hold a settings value that a read would take: the
// test of a whole settings file.
bool holdsSettingsValue(const HeapArray<char>& bytes);

// Whether a copy of the file is whole: its settings value and every account
// record that value counts read with their checksums. A copy cut short in
// the middle of a record holds a settings value and yet is not.
bool holdsEveryCountedRecord(const HeapArray<char>& bytes);

// Whether the text holds records beyond the status slots that the count in
// use leaves out: numbers beyond kMaxAccounts within the stored count, or at
// all when the settings value could not be read. Pass the count as read,
// before settleAccountCount changes it.
bool accountRecordsBeyondSlots(const ProfileText& text, bool settingsRead, int32_t storedCount);
