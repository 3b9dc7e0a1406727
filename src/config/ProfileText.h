// The settings file as text: how the profile functions spell a record, and
// where a value stands in the file's own bytes. No windows.h here: these are
// plain decisions on bytes.
#pragma once
#include "config/HeapArray.h"

#include <cstddef>

// A record as the structured profile functions store it: every byte as two
// upper-case hexadecimal digits, then two more for the low byte of their sum.
// text needs 2 * size + 3 bytes.
void encodeProfileValue(const void* record, size_t size, char* text);

// The text of an INI file as read from disk, byte-order mark and all, taken
// in once and then asked about as often as needed.
class ProfileText {
public:
    // False when there is no memory for it.
    bool take(const char* bytes, size_t length);
    // Whether the first section of that name has a first line for key whose
    // value is exactly value; with value nullptr, any line for key. Section
    // and key names match regardless of case, as the profile functions
    // match them.
    bool holds(const char* section, const char* key, const char* value) const;

private:
    HeapArray<char> text_;   // one byte a character
};

// The account number of a section name "USERDATA-NO<n>" as the program
// formats it (decimal, no leading zero, n >= 1); 0 for any other section.
int accountNumberOfSection(const char* section);
