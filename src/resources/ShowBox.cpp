// Message boxes shown from their texts in Messages.h.
#include "resources/ShowBox.h"

int showBox(HWND owner, const BoxText& box)
{
    return MessageBoxW(owner, box.text, box.caption, box.style);
}

int showFormattedBox(HWND owner, const BoxText& box, const wchar_t* name, int first, int second)
{
    // wsprintfW writes at most 1024 characters; the longest text, a report
    // with a 63-character name, needs about a tenth of that. A format takes
    // only the arguments it names.
    wchar_t text[1025];
    wsprintfW(text, box.text, name, first, second);
    return MessageBoxW(owner, text, box.caption, box.style);
}

int showFormattedBox(HWND owner, const BoxText& box, const wchar_t* name, const wchar_t* secondName,
                     const wchar_t* thirdName)
{
    // Three file names of up to 264 characters and the longest text fit.
    wchar_t text[1025];
    wsprintfW(text, box.text, name, secondName, thirdName);
    return MessageBoxW(owner, text, box.caption, box.style);
}
