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

bool SettingsStore::readFile(ProfileText& text, FileNotes& notes)
{
    if (!readSettingsText(path_, text))
        return false;
    fileRead_ = true;
    const bool settingsRead = readSettingsRecord(text);
    // The records beyond the slots as the count read names them, before the
    // count is settled.
    notes.recordsBeyondSlots =
        text.highestAccountSection(kAccountKey, accountNumberLimit(settingsRead, settings_.accountCount)) >
        kMaxAccounts;
    notes.settingsUnreadable = !settleAccountCount(text, settingsRead);
    settings_.intervalMinutes = intervalInRange(settings_.intervalMinutes);
    return true;
}

bool SettingsStore::readSettingsRecord()
{
    ProfileText text;
    return readSettingsText(path_, text) && readSettingsRecord(text);
}

bool SettingsStore::readSettingsRecord(const ProfileText& text)
{
    return text.readRecord(kSettingsSection, kSettingsKey, &settings_, sizeof settings_);
}

// False when the settings value could not be read although accounts are
// stored.
bool SettingsStore::settleAccountCount(const ProfileText& text, bool settingsRead)
{
    const int32_t limit = accountNumberLimit(settingsRead, settings_.accountCount);
    // Options back to their start values; the accounts stay, as many as the
    // file holds.
    if (!settingsRead)
        memset(&settings_, 0, sizeof settings_);
    // Records beyond the accounts checked stay in the file as they are;
    // start-up says so. Takes time in proportion to the file, whatever
    // numbers its sections name.
    settings_.accountCount = text.highestAccountSection(kAccountKey, limit < kMaxAccounts ? limit : kMaxAccounts);
    return settingsRead || text.highestAccountSection(kAccountKey, INT32_MAX) == 0;
}

bool SettingsStore::readAccountRecord(int accountNumber)
{
    // A file that cannot be read holds no record for the caller.
    ProfileText text, none;
    return readAccountRecord(readSettingsText(path_, text) ? text : none, accountNumber);
}

bool SettingsStore::readAccountRecord(const ProfileText& text, int accountNumber)
{
    char section[32];
    accountSectionName(accountNumber, section);
    // A record that is missing or damaged comes back empty: keeping the
    // previous one would make it pass for this account (probe it, list it,
    // or copy it over this number when records are renumbered).
    bool read = text.readRecord(section, kAccountKey, &workRecord_, sizeof workRecord_);
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
    // Move every later record down one number. They are read from the bytes
    // the copy was made of, never from the file again: a read that another
    // program refuses would put an empty record in their place.
    for (int k = accountNumber; k <= stored.accountCount; ++k) {
        readAccountRecord(change.fileText(), k + 1);
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
