// A change of one or more values of the settings file, made as a whole or
// not at all. The values go into a copy of the file in the same folder,
// "<name>.new"; the copy's own bytes are read back and every value is looked
// for as written; only then does the copy replace the file, in one step where
// the file system has one (NTFS; not FAT32, exFAT or some network shares),
// and the file's bytes are read back once more. A full disk, a read-only file
// or any failure on the way leaves the file as it was. At every moment some
// whole file holds the accounts: a copy left by a change cut short stays
// until start-up restores it or a checked copy takes its place.
//
// The copy is the file's text as plain text without byte-order mark, other
// text in it turned into Shift_JIS, whatever encoding Notepad saved the file
// in: the profile functions then write into a file they read as Windows and
// Wine alike do. Text with no Shift_JIS form would be lost: such a file is
// not changed.
#pragma once
#include "base/Deadline.h"
#include "base/HeapArray.h"
#include "config/ProfileText.h"
#include "config/Records.h"

#include <windows.h>

class SettingsFileChange {
public:
    // Makes the copy of the file at filePath.
    explicit SettingsFileChange(const wchar_t* filePath);
    ~SettingsFileChange();   // removes a copy that did not replace the file, unless it may be the only one

    void putSettings(const SettingsRecord& settings);
    // The record with its account name and password fields made from the
    // whole texts account and password: as much of each as fits, cut at a
    // character. A text that does not fit is also stored whole in a key of
    // its own beside the record; one that fits leaves no such key.
    void putAccount(int accountNumber, const AccountRecord& record, const char* account, const char* password);
    // Takes the account's record and its whole texts out of the file.
    void removeAccount(int accountNumber);
    // True once the file on disk holds every value put: as read back, or, when
    // another program keeps it from being read back within a bound of its
    // own, as the replace left it.
    bool commit();

    // The file as the copy was made from it: values that the change carries
    // over are read from here, never from the file again.
    const ProfileText& fileText() const { return fileText_; }

private:
    // A value put, as the copy must hold it.
    struct ExpectedValue {
        char section[32];
        const char* key;
        bool removed;   // the key must be gone, not hold value
        char value[2 * sizeof(AccountRecord) + 3];
    };
    static_assert(kLongTextSize <= sizeof(AccountRecord), "a whole text's value fits in ExpectedValue::value");

    void put(const char* section, const char* key, const void* value, UINT size);
    void putWholeText(const char* section, const char* key, const char* text, unsigned fieldWidth);
    bool copyHoldsEverything();
    bool holdsEverything(const HeapArray<char>& bytes) const;

    wchar_t filePath_[MAX_PATH];
    wchar_t copyPath_[MAX_PATH];
    // The copy while a stale one still holds copyPath_.
    wchar_t scratchPath_[MAX_PATH];
    // Where the copy stands now; NULL while there is none.
    const wchar_t* writtenPath_;
    ProfileText fileText_;
    DWORD keptAttributes_;       // the file's own, for the copy that replaces it
    Deadline heldDeadline_;
    bool failed_;
    bool committed_;
    bool replaceTried_;
    HeapArray<ExpectedValue> expected_;
};
