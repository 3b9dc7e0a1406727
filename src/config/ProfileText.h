// The settings file as text: how the profile functions spell a record, and
// where a value stands in the file's own bytes. No windows.h here: these are
// plain decisions on bytes.
#pragma once
#include "base/HeapArray.h"

#include <cstddef>
#include <cstdint>

// A record as the structured profile functions store it: every byte as two
// upper-case hexadecimal digits, then two more for the low byte of their sum.
// text needs 2 * size + 3 bytes.
void encodeProfileValue(const void* record, size_t size, char* text);
// The other way, as the profile functions read it: exactly 2 * size + 2
// hexadecimal digits of either case whose last two are the low byte of the
// sum of the others. Anything else answers false and leaves dest untouched.
bool decodeProfileValue(const char* text, size_t length, void* dest, size_t size);

// How a settings file was saved, as Notepad offers it. Without a byte-order
// mark the bytes are taken for UTF-8 when they are valid UTF-8 with at least
// one character beyond ASCII; otherwise for the ANSI code page, as the
// profile functions take them.
enum class TextEncoding { ansi, utf8, utf8WithBom, utf16le, utf16be };
TextEncoding encodingOf(const char* bytes, size_t length);

// The text of an INI file as read from disk, byte-order mark and all, taken
// in once and then asked about as often as needed. Section and key names
// match regardless of case, as the profile functions match them; only the
// first section of a name counts, and in it the first line for a key.
class ProfileText {
public:
    // False when there is no memory for it.
    bool take(const char* bytes, size_t length);

    // The value of key in section, blanks around it left out; false when the
    // section has no line for key.
    bool find(const char* section, const char* key, const char*& value, size_t& length) const;
    // Whether key's value is exactly value; with value nullptr, whether the
    // section has a line for key at all.
    bool holds(const char* section, const char* key, const char* value) const;
    // A value decoded as decodeProfileValue does.
    bool readRecord(const char* section, const char* key, void* dest, size_t size) const;
    // The highest n, at most limit, of a section "USERDATA-NO<n>" that has a
    // non-empty value for key; 0 when there is none. Takes time in proportion to the
    // file, whatever numbers its sections name.
    int highestAccountSection(const char* key, int32_t limit) const;

private:
    HeapArray<char> text_;   // one byte a character
};
