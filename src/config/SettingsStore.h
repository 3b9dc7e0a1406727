// The settings and the account read last, as the settings file holds them.
// Every read of the file and every change of it goes through here; the rest
// of the program sees the records, and changes them only by asking.
#pragma once
#include "config/ProfileText.h"
#include "config/Records.h"

#include <windows.h>

// What a read of the file has to say of it, once the window can show it.
struct FileNotes {
    bool settingsUnreadable;   // accounts stored, but no valid settings value
    bool recordsBeyondSlots;   // records past kMaxAccounts, which stay unchecked
};

class SettingsStore {
public:
    SettingsStore() : path_(), fileRead_(false), settings_(), workRecord_(), workAccount_(), workPassword_() {}

    // The file every read and change goes to, "<program>.ini": the app
    // gives its path at start-up.
    void useFile(const wchar_t* path);
    const wchar_t* filePath() const { return path_; }

    const SettingsRecord& settings() const { return settings_; }
    // The record read last by readAccountRecord, and its account name and
    // password whole (Shift_JIS): the record's own fields hold as much of
    // them as fits.
    const AccountRecord& workRecord() const { return workRecord_; }
    const char* workAccount() const { return workAccount_; }
    const char* workPassword() const { return workPassword_; }

    // True once the file has been read, or found missing: one held by
    // another program is no first start, and nothing is to be written to it
    // before.
    bool fileRead() const { return fileRead_; }
    // The file read into text, and the settings taken from it with the count
    // in use settled (never negative, never beyond the last record the file
    // holds, never beyond kMaxAccounts) and the interval (0 to 99). False,
    // with nothing changed, when it cannot be read.
    bool readFile(ProfileText& text, FileNotes& notes);
    // The settings value alone; false, with the settings as they were, when
    // it is missing or damaged.
    bool readSettingsRecord();
    // Account accountNumber into workRecord, from the file or from a text of
    // it already read; a record that is missing or damaged comes back empty.
    bool readAccountRecord(int accountNumber);
    bool readAccountRecord(const ProfileText& text, int accountNumber);

    // The five options and the interval of options; the count stays. They
    // count from now on even when the file could not be changed (false).
    bool saveOptions(const SettingsRecord& options);
    // A record stored with the count that lists it, together or not at all:
    // a new one after the last, or one in the place of accountNumber.
    bool addAccount(const AccountRecord& record, const char* account, const char* password);
    bool replaceAccount(int accountNumber, const AccountRecord& record, const char* account, const char* password);
    // Takes the account out; the records after it move down one number.
    bool deleteAccount(int accountNumber);

private:
    bool readSettingsRecord(const ProfileText& text);
    bool settleAccountCount(const ProfileText& text, bool settingsRead);
    bool writeSettingsRecord();
    bool storeAccount(int accountNumber, int32_t count, const AccountRecord& record, const char* account,
                      const char* password);

    wchar_t        path_[MAX_PATH];
    bool           fileRead_;
    SettingsRecord settings_;
    AccountRecord  workRecord_;
    char           workAccount_[kLongTextSize];
    char           workPassword_[kLongTextSize];
};
