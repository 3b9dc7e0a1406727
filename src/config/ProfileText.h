// The settings file as text: how the profile functions spell a record, and
// where a value stands in the file's own bytes. No windows.h here: these are
// plain decisions on bytes.
#pragma once
#include <cstddef>

// A record as the structured profile functions store it: every byte as two
// upper-case hexadecimal digits, then two more for the low byte of their sum.
// text needs 2 * size + 3 bytes.
void encodeProfileValue(const void* record, size_t size, char* text);

// Whether the text of an INI file (as read from disk, byte-order mark and
// all) holds, in the first section of that name, a first line for key whose
// value is exactly value; with value nullptr, any line for key. Section and
// key names match regardless of case, as the profile functions match them.
bool profileTextHolds(const char* text, size_t length, const char* section, const char* key,
                      const char* value);

// The account number of a section name "USERDATA-NO<n>" as the program
// formats it (decimal, no leading zero, n >= 1); 0 for any other section.
int accountNumberOfSection(const char* section);
