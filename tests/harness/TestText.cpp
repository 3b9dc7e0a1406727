#include "TestText.h"

#include <vector>

std::string shiftJis(const wchar_t* text)
{
    int size = WideCharToMultiByte(932, 0, text, -1, NULL, 0, NULL, NULL);
    if (size <= 0)
        return std::string();
    std::vector<char> bytes(size);
    WideCharToMultiByte(932, 0, text, -1, bytes.data(), size, NULL, NULL);
    return std::string(bytes.data());
}

std::wstring fromShiftJis(const std::string& text)
{
    int size = MultiByteToWideChar(932, 0, text.c_str(), -1, NULL, 0);
    if (size <= 0)
        return std::wstring();
    std::vector<wchar_t> wide(size);
    MultiByteToWideChar(932, 0, text.c_str(), -1, wide.data(), size);
    return std::wstring(wide.data());
}

std::string windowTextOf(HWND window)
{
    wchar_t text[1024] = L"";
    SendMessageW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
    return shiftJis(text);
}
