// Upper and lower case of the ASCII letters alone, whatever the locale: INI
// section and key names and POP3 reply codes compare this way, and a
// Shift_JIS byte is never taken for a letter.
#pragma once

inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
