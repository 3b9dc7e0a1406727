// The settings file's layout: its sections and keys, and its values read
// from the file's own bytes, each record stored as the structured profile
// functions store one (hex digits plus a one-byte checksum). Values are read
// from the bytes rather than through the profile functions: on Windows those
// do not see a first section behind a UTF-8 byte-order mark and take a
// UTF-16 BE file for ANSI text, and Notepad saves both.
#pragma once
#include "base/HeapArray.h"
#include "config/ProfileText.h"

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

// The text of the settings file at path as it stands on disk, waiting as a
// save does while another program holds the file; a file that does not
// exist reads as empty text. False when it cannot be read: held past the
// bound, no right to read it, a folder in its place.
bool readSettingsText(const wchar_t* path, ProfileText& text);
// Whether a file's bytes hold a settings value that a read would take: the
// test of a whole settings file.
bool holdsSettingsValue(const HeapArray<char>& bytes);
// Whether a copy of the file is whole: its settings value and every account
// record that value counts read with their checksums. A copy cut short in
// the middle of a record holds a settings value and yet is not.
bool holdsEveryCountedRecord(const HeapArray<char>& bytes);
