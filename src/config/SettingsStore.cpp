// The settings store: the records read from the settings file and every
// change made to it.
#include "config/SettingsStore.h"
#include "config/SettingsFile.h"
#include "config/SettingsFileChange.h"

#include <cstring>

namespace {

// The highest account number the stored count lets the program look at. A
// negative count, or none, says nothing about how many accounts there are.
int32_t accountNumberLimit(bool settingsRead, int32_t storedCount)
{
    return !settingsRead || storedCount < 0 ? INT32_MAX : storedCount;
}

// The whole text of a record's field: the one stored beside the record when
// the field holds exactly as much of it as fits, otherwise the field. An
// earlier version that changed the record left that key as it was, and the
// record as it left it is what counts.
template <unsigned N>
void readWholeText(const ProfileText& text, const char* section, const char* key, const char (&field)[N],
                   char (&whole)[kLongTextSize])
{
    static_assert(N <= kLongTextSize, "a field fits in the whole text");
    memcpy(whole, field, N);
    const char* value;
    size_t length;
    if (!text.find(section, key, value, length) || length < 2 || length % 2 != 0)
        return;
    const size_t size = (length - 2) / 2;
    char stored[kLongTextSize];
    if (size >= kLongTextSize || !decodeProfileValue(value, length, stored, size) || memchr(stored, '\0', size))
        return;
    stored[size] = '\0';
    char cut[N];
    fitText(cut, stored);
    if (size >= N && strcmp(cut, field) == 0)
        memcpy(whole, stored, size + 1);
}

}  // namespace

void SettingsStore::useFile(const wchar_t* path)
{
    lstrcpynW(path_, path, MAX_PATH);
}

StartUpNotes SettingsStore::load()
{
    StartUpNotes notes;
    // Before anything is read: a save cut short may have left the accounts
    // in the copy alone.
    notes.restored = restoreLeftoverCopy(path_, notes.leftover);
    const bool settingsRead = readSettingsRecord();
    notes.recordsBeyondSlots =
        highestAccountRecord(accountNumberLimit(settingsRead, settings_.accountCount)) > kMaxAccounts;
    notes.settingsUnreadable = !settleAccountCount(settingsRead);
    settings_.intervalMinutes = intervalInRange(settings_.intervalMinutes);
    return notes;
}

bool SettingsStore::readSettingsRecord()
{
    ProfileText text;
    return readSettingsText(path_, text) &&
           text.readRecord(kSettingsSection, kSettingsKey, &settings_, sizeof settings_);
}

// False when the settings value could not be read although accounts are
// stored.
bool SettingsStore::settleAccountCount(bool settingsRead)
{
    const int32_t limit = accountNumberLimit(settingsRead, settings_.accountCount);
    // Options back to their start values; the accounts stay, as many as the
    // file holds.
    if (!settingsRead)
        memset(&settings_, 0, sizeof settings_);
    // Records beyond the accounts checked stay in the file as they are;
    // start-up says so.
    settings_.accountCount = highestAccountRecord(limit < kMaxAccounts ? limit : kMaxAccounts);
    return settingsRead || highestAccountRecord(INT32_MAX) == 0;
}

// The highest account number, at most limit, whose record the file holds; 0
// when there is none. Takes time in proportion to the file, whatever
// numbers its sections name.
int SettingsStore::highestAccountRecord(int32_t limit)
{
    ProfileText text;
    return readSettingsText(path_, text) ? text.highestAccountSection(kAccountKey, limit) : 0;
}

bool SettingsStore::readAccountRecord(int accountNumber)
{
    char section[32];
    accountSectionName(accountNumber, section);
    // A record that is missing or damaged comes back empty: keeping the
    // previous one would make it pass for this account (probe it, list it,
    // or copy it over this number when records are renumbered).
    ProfileText text;
    bool read = readSettingsText(path_, text) &&
                text.readRecord(section, kAccountKey, &workRecord_, sizeof workRecord_);
    if (!read)
        memset(&workRecord_, 0, sizeof workRecord_);
    terminateTextFields(workRecord_);
    readWholeText(text, section, kLongAccountKey, workRecord_.account, workAccount_);
    readWholeText(text, section, kLongPasswordKey, workRecord_.password, workPassword_);
    return read;
}

bool SettingsStore::saveOptions(const SettingsRecord& options)
{
    settings_.reportOnTop = options.reportOnTop;
    settings_.reportPerUser = options.reportPerUser;
    settings_.reportUnread = options.reportUnread;
    settings_.lanMode = options.lanMode;
    settings_.endRoundOnLaunch = options.endRoundOnLaunch;
    settings_.intervalMinutes = options.intervalMinutes;
    return writeSettingsRecord();
}

bool SettingsStore::writeSettingsRecord()
{
    SettingsFileChange change(path_);
    change.putSettings(settings_);
    return change.commit();
}

bool SettingsStore::addAccount(const AccountRecord& record, const char* account, const char* password)
{
    const int accountNumber = settings_.accountCount + 1;
    return storeAccount(accountNumber, accountNumber, record, account, password);
}

bool SettingsStore::replaceAccount(int accountNumber, const AccountRecord& record, const char* account,
                                   const char* password)
{
    return storeAccount(accountNumber, settings_.accountCount, record, account, password);
}

bool SettingsStore::storeAccount(int accountNumber, int32_t count, const AccountRecord& record, const char* account,
                                 const char* password)
{
    SettingsRecord stored = settings_;
    stored.accountCount = count;
    SettingsFileChange change(path_);
    change.putAccount(accountNumber, record, account, password);
    change.putSettings(stored);
    if (!change.commit())
        return false;
    settings_.accountCount = count;
    return true;
}

bool SettingsStore::deleteAccount(int accountNumber)
{
    const int32_t formerCount = settings_.accountCount;
    SettingsRecord stored = settings_;
    stored.accountCount = formerCount - 1;
    SettingsFileChange change(path_);
    change.putSettings(stored);
    // Move every later record down one number. They are read from the file
    // as it is; only the copy that replaces it as a whole is written.
    for (int k = accountNumber; k <= stored.accountCount; ++k) {
        readAccountRecord(k + 1);
        change.putAccount(k, workRecord_, workAccount_, workPassword_);
    }
    // The former last number now holds a copy of a moved record, or the
    // deleted account itself with its password: neither may stay behind,
    // nor come back when the count has to be recovered from the records.
    change.removeAccount(formerCount);
    if (!change.commit())
        return false;
    settings_.accountCount = stored.accountCount;
    return true;
}
