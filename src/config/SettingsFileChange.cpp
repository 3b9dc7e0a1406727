// The save: a change written to a copy, checked, and moved into the file's place.
#include "config/SettingsFileChange.h"
#include "config/FieldText.h"
#include "config/HeldFiles.h"
#include "config/ProfileText.h"
#include "config/SettingsFile.h"
#include "config/SiblingFiles.h"

#include <cstring>
#include <cwchar>

namespace {

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

// created tells whether a file was made that is now this change's to remove.
bool writeNewFile(const wchar_t* path, const HeapArray<char>& text, bool& created)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    created = file != INVALID_HANDLE_VALUE;
    if (!created)
        return false;
    const DWORD size = static_cast<DWORD>(text.size());
    DWORD written = 0;
    bool whole = size == 0 || (WriteFile(file, text.begin(), size, &written, NULL) && written == size);
    return CloseHandle(file) && whole;
}

void removeFile(const wchar_t* path)
{
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

// What a user may have set on the file and expects to stay: the rest is the
// system's (archive marks a changed file) or refused before (read-only).
const DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

SettingsFileChange::SettingsFileChange(const wchar_t* filePath)
    : writtenPath_(NULL), keptAttributes_(0), heldDeadline_(Deadline::inMs(kHeldFileWaitMs)), failed_(true),
      committed_(false), replaceTried_(false)
{
    // No file named, no change: a path is at least "ini".
    if (lstrlenW(filePath) < 3)
        return;
    lstrcpynW(filePath_, filePath, MAX_PATH);
    // Beside the file, so that moving it there is one step.
    siblingPath(filePath_, L"new", copyPath_);
    siblingPath(filePath_, L"tmp", scratchPath_);

    HeapArray<char> original, plain;
    const bool fileThere = !fileAbsent(filePath_);
    if (fileThere) {
        // Windows does not replace a read-only file, and the profile
        // functions do not write one; Wine run as root would do both. Any
        // other reason not to see it is a failure too, or the file would be
        // replaced by one holding only this change.
        DWORD attributes = GetFileAttributesW(filePath_);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return;
        keptAttributes_ = attributes & kKeptAttributes;
        if (!readFileWhenFree(filePath_, original, heldDeadline_) || !plainTextOf(original, plain) ||
            !fileText_.take(original.begin(), original.size()))
            return;
    }
    // No file yet: the first registration or the first close starts from an
    // empty one. But a copy left beside a file that is missing or damaged
    // may be the last whole one of the accounts: start-up restores it, and
    // no change may take its place meanwhile.
    const bool fileWhole = fileThere && holdsSettingsValue(original);
    const bool leftover = !fileAbsent(copyPath_);
    if (leftover && !fileWhole)
        return;
    // Beside a whole file a leftover copy is stale, yet it gives way only
    // to a checked one: until then this copy is written under another name.
    // Such a scratch copy only ever stands beside a whole file, so one that
    // a crash left is of no use.
    const wchar_t* path = leftover ? scratchPath_ : copyPath_;
    if (fileWhole)
        removeFile(scratchPath_);
    bool created = false;
    const bool written = writeNewFile(path, plain, created);
    if (created)
        writtenPath_ = path;
    failed_ = !written;
}

SettingsFileChange::~SettingsFileChange()
{
    if (committed_ || !writtenPath_)
        return;
    // A replace that failed part of the way, where it is not one step, may
    // have taken the file away: the copy is then the only whole one, and
    // start-up restores it.
    if (replaceTried_ && fileAbsent(filePath_))
        return;
    DeleteFileW(writtenPath_);
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
        if (!WritePrivateProfileStructW(wideSection, wideKey, const_cast<void*>(value), size, writtenPath_)) {
            failed_ = true;
            return;
        }
    } else {
        // Whether a key that was never there counts as taken out is the
        // platform's affair; the check of the copy tells whether it is gone.
        WritePrivateProfileStringW(wideSection, wideKey, NULL, writtenPath_);
    }
    ExpectedValue expected;
    strncpy(expected.section, section, sizeof expected.section - 1);
    expected.section[sizeof expected.section - 1] = '\0';
    expected.key = key;
    expected.removed = value == NULL;
    expected.value[0] = '\0';
    if (value)
        encodeProfileValue(value, size, expected.value);
    if (!expected_.push(expected))
        failed_ = true;
}

bool SettingsFileChange::commit()
{
    if (failed_)
        return false;
    // Has the profile functions put everything on disk and forget the copy:
    // what is checked next is what the disk holds, not what they remember.
    WritePrivateProfileStringW(NULL, NULL, NULL, writtenPath_);
    if (!copyHoldsEverything())
        return false;
    if (writtenPath_ == scratchPath_) {
        // A read-only leftover would refuse to be replaced.
        SetFileAttributesW(copyPath_, FILE_ATTRIBUTE_NORMAL);
        if (!moveFileWhenFree(scratchPath_, copyPath_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH,
                              heldDeadline_))
            return false;
        writtenPath_ = copyPath_;
    }
    // A moved file keeps its own attributes, so the file's go onto the copy
    // first: the replace stays one step, and a hidden file stays hidden.
    if (keptAttributes_) {
        DWORD attributes = GetFileAttributesW(copyPath_);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            !SetFileAttributesW(copyPath_, (attributes & ~FILE_ATTRIBUTE_NORMAL) | keptAttributes_))
            return false;
    }
    replaceTried_ = true;
    if (!moveFileWhenFree(copyPath_, filePath_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, heldDeadline_))
        return false;
    committed_ = true;
    // What a network share or a stick gives back is what counts. The steps
    // before may have used up the bound: the file is replaced by now, and a
    // scanner that opens it at once must not make a change on disk count as
    // failed.
    HeapArray<char> onDisk;
    if (!readFileWhenFree(filePath_, onDisk, Deadline::inMs(kHeldFileWaitMs)))
        return true;
    return holdsEverything(onDisk);
}

// Wine's profile functions answer success on a full disk although the file
// was cut short, so the copy's own bytes are the only proof.
bool SettingsFileChange::copyHoldsEverything()
{
    HANDLE copy = openWhenFree(writtenPath_, GENERIC_READ | GENERIC_WRITE, 0, heldDeadline_);
    if (copy == INVALID_HANDLE_VALUE)
        return false;
    // On disk before it takes the file's place: after a crash there is
    // either the old file or the new one, never an empty one.
    HeapArray<char> bytes;
    bool kept = readWholeFile(copy, bytes) && FlushFileBuffers(copy);
    CloseHandle(copy);
    return kept && holdsEverything(bytes);
}

bool SettingsFileChange::holdsEverything(const HeapArray<char>& bytes) const
{
    ProfileText onDisk;
    if (!onDisk.take(bytes.begin(), bytes.size()))
        return false;
    for (const ExpectedValue& value : expected_) {
        if (onDisk.holds(value.section, value.key, value.removed ? nullptr : value.value) == value.removed)
            return false;
    }
    return true;
}
