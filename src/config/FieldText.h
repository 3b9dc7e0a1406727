// The text fields of the records hold Shift_JIS (code page 932) on every
// Windows, whatever its own code page, so that a settings file means the same
// on every machine. A field becomes text on screen, and text typed becomes a
// field, only through these two functions.
#pragma once
#include <windows.h>

// The code page of every text in the settings file.
const UINT kShiftJis = 932;

// A field's bytes as wide text, cut to capacity characters with the
// terminator. A byte that is no Shift_JIS shows as the code page's
// replacement character.
void fieldToWide(const char* field, wchar_t* wide, int capacity);

template <int N>
void fieldToWide(const char* field, wchar_t (&wide)[N])
{
    fieldToWide(field, wide, N);
}

enum class FieldFit {
    whole,          // the field holds the text
    cut,            // too long: the field holds as many whole characters as fit
    notShiftJis,    // a character has no Shift_JIS form; the field is empty
};

// Typed text into a field of size bytes, the terminator included. A field is
// never cut inside a double-byte character.
FieldFit wideToField(const wchar_t* wide, char* field, unsigned size);

template <unsigned N>
FieldFit wideToField(const wchar_t* wide, char (&field)[N])
{
    return wideToField(wide, field, N);
}
