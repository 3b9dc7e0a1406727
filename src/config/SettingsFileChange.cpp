#include "config/SettingsFileChange.h"
#include "app/TrayApp.h"
#include "config/ProfileText.h"
#include "config/SettingsFile.h"

#include <cstring>
#include <cwchar>

namespace {

const UINT kShiftJis = 932;

// The original's text as the copy starts it. Windows' profile functions
// take a file with a UTF-8 byte-order mark for ANSI text (and write a second
// copy of its first section after the mark), and a UTF-16 BE file too; a
// UTF-16 LE one they would keep in UTF-16. Every one becomes plain Shift_JIS
// here; an ANSI file stays byte for byte. False when some text has no
// Shift_JIS form, or the bytes are not the text their mark announces.
bool plainTextOf(const HeapArray<char>& original, HeapArray<char>& plain)
{
    const char* bytes = original.begin();
    const size_t length = original.size();
    const TextEncoding encoding = encodingOf(bytes, length);
    if (encoding == TextEncoding::ansi) {
        if (!plain.resize(length))
            return false;
        if (length)
            memcpy(plain.data(), bytes, length);
        return true;
    }

    HeapArray<wchar_t> wide;
    if (encoding == TextEncoding::utf16le || encoding == TextEncoding::utf16be) {
        if (length % 2 != 0 || !wide.resize(length / 2 - 1))
            return false;
        const unsigned char* units = reinterpret_cast<const unsigned char*>(bytes) + 2;
        for (size_t i = 0; i < wide.size(); ++i) {
            unsigned first = units[2 * i], second = units[2 * i + 1];
            wide[i] = static_cast<wchar_t>(encoding == TextEncoding::utf16le ? first | second << 8
                                                                             : first << 8 | second);
        }
    } else {
        const size_t skip = encoding == TextEncoding::utf8WithBom ? 3 : 0;
        const int utf8Length = static_cast<int>(length - skip);
        int units = utf8Length ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes + skip, utf8Length, NULL, 0)
                               : 0;
        if ((utf8Length && units <= 0) || !wide.resize(units))
            return false;
        if (units && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes + skip, utf8Length, wide.data(), units) != units)
            return false;
    }
    if (wide.size() == 0)
        return plain.resize(0);

    const int units = static_cast<int>(wide.size());
    BOOL lost = FALSE;
    int size = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), units, NULL, 0, NULL, &lost);
    if (size <= 0 || lost || !plain.resize(size))
        return false;
    return WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), units, plain.data(), size, NULL, &lost) ==
               size &&
           !lost;
}

bool writeNewFile(const wchar_t* path, const HeapArray<char>& text)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = static_cast<DWORD>(text.size());
    DWORD written = 0;
    bool whole = size == 0 || (WriteFile(file, text.begin(), size, &written, NULL) && written == size);
    return CloseHandle(file) && whole;
}

}  // namespace

SettingsFileChange::SettingsFileChange() : failed_(true), committed_(false)
{
    copyPath_[0] = L'\0';
    if (!TrayApp::settingsFilePath(filePath_))
        return;
    // Beside the file, so that moving it there is one step; a name of the
    // same length, so that it fits wherever the file's own name does.
    wcscpy(copyPath_, filePath_);
    memcpy(copyPath_ + wcslen(copyPath_) - 3, L"new", 3 * sizeof(wchar_t));

    // A copy that an interrupted change left behind is stale.
    SetFileAttributesW(copyPath_, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(copyPath_);

    HeapArray<char> plain;
    DWORD attributes = GetFileAttributesW(filePath_);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // No file yet: the first registration or the first close starts
        // from an empty one. Any other reason not to see it is a failure,
        // or the file would be replaced by one holding only this change.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return;
    } else {
        // Windows does not replace a read-only file, and the profile
        // functions do not write one; Wine run as root would do both.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return;
        HANDLE file = CreateFileW(filePath_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return;
        HeapArray<char> original;
        bool read = readWholeFile(file, original);
        CloseHandle(file);
        if (!read || !plainTextOf(original, plain))
            return;
    }
    if (!writeNewFile(copyPath_, plain))
        return;
    failed_ = false;
}

SettingsFileChange::~SettingsFileChange()
{
    if (!committed_ && copyPath_[0])
        DeleteFileW(copyPath_);
}

void SettingsFileChange::putSettings(const SettingsRecord& settings)
{
    SettingsRecord stored = settings;
    clearUnusedBytes(stored);
    put(kSettingsSection, kSettingsKey, &stored, sizeof stored);
}

void SettingsFileChange::putAccount(int accountNumber, const AccountRecord& record, const char* account,
                                    const char* password)
{
    AccountRecord stored = record;
    fitText(stored.account, account);
    fitText(stored.password, password);
    clearUnusedBytes(stored);
    char section[32];
    accountSectionName(accountNumber, section);
    put(section, kAccountKey, &stored, sizeof stored);
    putWholeText(section, kLongAccountKey, account, sizeof stored.account);
    putWholeText(section, kLongPasswordKey, password, sizeof stored.password);
}

void SettingsFileChange::putWholeText(const char* section, const char* key, const char* text, unsigned fieldWidth)
{
    size_t length = strnlen(text, kLongTextSize - 1);
    put(section, key, length < fieldWidth ? NULL : text, static_cast<UINT>(length));
}

void SettingsFileChange::removeAccount(int accountNumber)
{
    char section[32];
    accountSectionName(accountNumber, section);
    put(section, kAccountKey, NULL, 0);
    put(section, kLongAccountKey, NULL, 0);
    put(section, kLongPasswordKey, NULL, 0);
}

// A value of NULL takes the key out.
void SettingsFileChange::put(const char* section, const char* key, const void* value, UINT size)
{
    if (failed_)
        return;
    wchar_t wideSection[32], wideKey[32];
    widenName(section, wideSection);
    widenName(key, wideKey);
    if (value) {
        if (!WritePrivateProfileStructW(wideSection, wideKey, const_cast<void*>(value), size, copyPath_)) {
            failed_ = true;
            return;
        }
    } else {
        // Whether a key that was never there counts as taken out is the
        // platform's affair; the check of the copy tells whether it is gone.
        WritePrivateProfileStringW(wideSection, wideKey, NULL, copyPath_);
    }
    Written written;
    strncpy(written.section, section, sizeof written.section - 1);
    written.section[sizeof written.section - 1] = '\0';
    written.key = key;
    written.removed = value == NULL;
    written.value[0] = '\0';
    if (value)
        encodeProfileValue(value, size, written.value);
    if (!written_.push(written))
        failed_ = true;
}

bool SettingsFileChange::commit()
{
    if (failed_)
        return false;
    // Has the profile functions put everything on disk and forget the copy:
    // what is checked next is what the disk holds, not what they remember.
    WritePrivateProfileStringW(NULL, NULL, NULL, copyPath_);
    if (!copyHoldsEverything())
        return false;
    if (!MoveFileExW(copyPath_, filePath_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    committed_ = true;
    return true;
}

// Wine's profile functions answer success on a full disk although the file
// was cut short, so the copy's own bytes are the only proof.
bool SettingsFileChange::copyHoldsEverything()
{
    HANDLE copy = CreateFileW(copyPath_, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (copy == INVALID_HANDLE_VALUE)
        return false;
    HeapArray<char> bytes;
    // On disk before it takes the file's place: after a crash there is
    // either the old file or the new one, never an empty one.
    bool kept = readWholeFile(copy, bytes) && FlushFileBuffers(copy);
    CloseHandle(copy);
    if (!kept)
        return false;
    ProfileText onDisk;
    if (!onDisk.take(bytes.begin(), bytes.size()))
        return false;
    for (const Written& value : written_) {
        if (onDisk.holds(value.section, value.key, value.removed ? nullptr : value.value) == value.removed)
            return false;
    }
    return true;
}
