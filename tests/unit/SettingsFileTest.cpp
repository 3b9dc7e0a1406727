// The settings file as other programs and earlier versions see it: sections,
// keys, the hexadecimal encoding with its checksum, damaged values, the
// encodings Notepad saves, logins and passwords longer than the record, and
// the copy a save cut short leaves beside it.
#include "AppFixture.h"
#include "config/ProfileText.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"
#include "ui/MainWindowSettings.h"

#include <climits>
#include <cstring>
#include <thread>

using namespace testsettings;

namespace {

using Lines = std::vector<std::string>;

// "新規登録" through the account dialog's own code, in a modeless stand-in
// for the modal dialog.
bool registerNewAccount(const char* userName, const char* password)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ACCOUNT), theApp.mainWindow,
                                     accountDialogProc, 0);
    for (int id : {IDC_USER_NAME, IDC_ACCOUNT_NAME, IDC_SERVER})
        SetDlgItemTextA(dialog, id, userName);
    SetDlgItemTextA(dialog, IDC_PASSWORD, password);
    bool registered = registerAccount(dialog);
    DestroyWindow(dialog);
    return registered;
}

std::string storedName(const std::string& iniPath, int number)
{
    AccountRecord record = {};
    return readAccount(iniPath, number, record) ? record.userName : "(none)";
}

std::string hexOf(const std::string& bytes)
{
    std::string hex;
    char digits[3];
    for (unsigned char byte : bytes) {
        snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

std::string sectionOf(int number) { return "USERDATA-NO" + std::to_string(number); }

// A store of this test program's own settings file, the one start-up gives
// the program: a program that has just started and read nothing.
SettingsStore ownStore()
{
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(TrayApp::settingsFilePath(path));
    SettingsStore store;
    store.useFile(path);
    return store;
}

}  // namespace

class SettingsFile : public AppFixture {};

TEST_F(SettingsFile, IsWrittenBesideTheProgramAsHexPlusChecksum)
{
    // iniPath is the test program's own path as the system gives it, with
    // "ini" for "exe".
    ASSERT_FALSE(fileExists(iniPath));
    SettingsStore store = ownStore();
    SettingsRecord options = makeSettings(0, 10);
    options.reportOnTop = 1;
    ASSERT_TRUE(store.saveOptions(options));
    EXPECT_EQ("[KORVELLIN-Quillora]\r\nQXDATA=01000000000000000A000000000000000B\r\n", fileText(iniPath));
}

// Both records as the platform's structured profile functions write and
// read them, in both directions.
TEST_F(SettingsFile, RecordsAreThePlatformsBothWays)
{
    const AccountRecord account = makeAccount("山田 太郎", "taro", "p@ss word", "pop.example.jp",
                                              "C:\\Program Files\\Mail\\mail.exe", true);
    SettingsRecord options = makeSettings(0, 42);
    options.reportUnread = options.endRoundOnLaunch = 1;
    SettingsStore store = ownStore();
    ASSERT_TRUE(store.saveOptions(options));
    ASSERT_TRUE(store.addAccount(account, "taro", "p@ss word"));
    SettingsRecord settings = {};
    AccountRecord record = {};
    ASSERT_TRUE(readSettings(iniPath, settings));
    options.accountCount = 1;
    EXPECT_EQ(0, memcmp(&options, &settings, sizeof settings));
    ASSERT_TRUE(readAccount(iniPath, 1, record));
    EXPECT_EQ(0, memcmp(&account, &record, sizeof record));
    EXPECT_EQ(908u, rawValue(iniPath, "USERDATA-NO1", "DATA").size());

    SettingsRecord other = makeSettings(3, 7);
    other.reportPerUser = other.lanMode = 1;
    ASSERT_TRUE(writeSettings(iniPath, other));
    ASSERT_TRUE(writeAccount(iniPath, 3, account));
    SettingsStore started = ownStore();
    ASSERT_TRUE(started.readSettingsRecord());
    EXPECT_EQ(0, memcmp(&other, &started.settings(), sizeof other));
    ASSERT_TRUE(started.readAccountRecord(3));
    EXPECT_EQ(0, memcmp(&account, &started.workRecord(), sizeof account));
}

TEST_F(SettingsFile, OnlyAWholeValueWithItsChecksumIsRead)
{
    const struct { const char* value; bool read; } cases[] = {
        {"01000000000000000A000000020000000D", true},
        {"01000000000000000A000000020000001D", false},    // one wrong digit
        {"01000000000000000A000000020000000D0", false},   // one digit too many
        {"01000000000000000A000000020000000", false},     // one too few
        {"01000000000000000A00000002000000", false},      // no checksum
        {"01000000000000000A0000000200000G0D", false},    // not a digit
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SettingsStore store = ownStore();
        ASSERT_TRUE(writeSettings(iniPath, makeSettings(0, 7)));
        ASSERT_TRUE(store.readSettingsRecord());
        ASSERT_TRUE(WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", c.value, iniPath.c_str()));
        EXPECT_EQ(c.read, store.readSettingsRecord());
        EXPECT_EQ(c.read ? 10 : 7, store.settings().intervalMinutes) << "a rejected value changes nothing";
        EXPECT_EQ(c.read ? 2 : 0, store.settings().accountCount);
    }
}

TEST_F(SettingsFile, UnreadableAccountComesBackEmptyNotAsThePreviousOne)
{
    ASSERT_TRUE(writeAccount(iniPath, 1, makeAccount("first", "a", "b", "127.0.0.1")));
    WritePrivateProfileStringA("USERDATA-NO2", "DATA", "00FF", iniPath.c_str());

    SettingsStore store = ownStore();
    ASSERT_TRUE(store.readAccountRecord(1));
    EXPECT_FALSE(store.readAccountRecord(2));
    EXPECT_STREQ("", store.workRecord().userName);
    EXPECT_STREQ("", store.workRecord().server);
    EXPECT_FALSE(store.readAccountRecord(3));   // no section at all
    EXPECT_STREQ("", store.workRecord().account);
}

TEST_F(SettingsFile, FieldsWithoutTerminatorAreCutInsideTheirWidth)
{
    // A hand-edited record whose text fields are full to the last byte.
    AccountRecord full;
    memset(&full, 'A', sizeof full);
    full.launchMailer = 1;
    ASSERT_TRUE(writeAccount(iniPath, 1, full));

    SettingsStore store = ownStore();
    ASSERT_TRUE(store.readAccountRecord(1));
    const AccountRecord& read = store.workRecord();
    EXPECT_EQ(63u, strlen(read.userName));
    EXPECT_EQ(31u, strlen(read.account));
    EXPECT_EQ(31u, strlen(read.password));
    EXPECT_EQ(63u, strlen(read.server));
    EXPECT_EQ(259u, strlen(read.mailerPath));
}

// Counts and settings values as hand editing leaves them. Records 1 to 26
// are named by their letter, the others by their number.
enum class Stored { whole, badChecksum, none };

struct DamagedFile {
    const char* name;
    int32_t count, interval;
    Stored settings;               // with a bad checksum, the options are all on
    std::vector<int> records;      // the numbers present in the file
    Lines shown;
    const char* boxes;             // at start-up
    const char* intervalShown;
    int next;                      // the number a new account is given; 0: refused
};

std::ostream& operator<<(std::ostream& out, const DamagedFile& row) { return out << row.name; }

std::string nameOf(int number) { return number <= 26 ? std::string(1, 'a' + number - 1) : std::to_string(number); }

const char kBeyondSlotsText[] =
    "設定ファイルに16番以降のアカウントがあります。\n"
    "チェックできるのは15番までのため、それらはチェックせず、一覧にも表示しません。\n"
    "設定ファイルにはそのまま残してあります。";

class DamagedFiles : public AppFixture, public ::testing::WithParamInterface<DamagedFile> {};

TEST_P(DamagedFiles, ListOnlyTheRecordsPresentAndRegisterAfterTheLast)
{
    const DamagedFile& row = GetParam();
    SettingsRecord stored = makeSettings(row.count, row.interval);
    stored.lanMode = stored.reportUnread = row.settings == Stored::badChecksum;
    if (row.settings != Stored::none) {
        ASSERT_TRUE(writeSettings(iniPath, stored));
    }
    if (row.settings == Stored::badChecksum) {
        std::string value = rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA");
        value.back() = value.back() == '0' ? '1' : '0';
        ASSERT_TRUE(WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", value.c_str(), iniPath.c_str()));
    }
    for (int n : row.records)
        ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(nameOf(n).c_str(), "acct", "pw", "127.0.0.9")));

    const DWORD began = GetTickCount();
    startProgram();
    EXPECT_LT(GetTickCount() - began, 5000u) << "start-up reads the records present, not every number named";
    EXPECT_EQ(row.boxes, boxes.captions());
    for (const SeenBox& box : boxes.boxes()) {
        EXPECT_EQ(nullptr, box.owner) << box.caption;
        EXPECT_EQ(BoxIcon::warning, box.icon) << box.caption;
        if (box.caption == "ACCOUNT NUMBER ERROR!!") {
            EXPECT_EQ(kBeyondSlotsText, box.text);
        }
    }
    if (row.settings != Stored::whole) {
        EXPECT_FALSE(isChecked(IDC_LAN_MODE)) << "options off";
    }
    EXPECT_EQ(row.shown, listLines());
    EXPECT_EQ(static_cast<int>(row.shown.size()), theApp.store.settings().accountCount) << "what a round checks";
    char interval[16] = "";
    GetDlgItemTextA(theApp.mainWindow, IDC_INTERVAL, interval, sizeof interval);
    EXPECT_STREQ(row.intervalShown, interval);

    const std::string before = boxes.captions();
    EXPECT_EQ(row.next != 0, registerNewAccount("new", "pw"));
    EXPECT_EQ(before + (before.empty() ? "" : " | ") + (row.next ? "INPUT DATA!!" : "ACCOUNT LIMIT!!"),
              boxes.captions()) << "start-up's boxes are not shown again";
    Lines after = row.shown;
    if (row.next) {
        after.push_back("new");
        EXPECT_EQ("new", storedName(iniPath, row.next));
        SettingsRecord corrected = {};
        ASSERT_TRUE(readSettings(iniPath, corrected));
        EXPECT_EQ(row.next, corrected.accountCount) << "the count corrected with the registration";
    }
    EXPECT_EQ(after, listLines());
    for (int n : row.records)
        EXPECT_EQ(nameOf(n), storedName(iniPath, n)) << "no record overwritten";
}

const Lines kFifteenShown = {"a", "", "", "", "", "", "", "", "", "", "", "", "", "", "o"};

INSTANTIATE_TEST_SUITE_P(HandEdited, DamagedFiles, ::testing::Values(
    DamagedFile{"CountOfTwoThousandMillion", INT_MAX, 65541, Stored::whole, {1, 2}, {"a", "b"}, "", "99", 3},
    DamagedFile{"CountOfFortyWithAGap", 40, 10, Stored::whole, {1, 3}, {"a", "", "c"}, "", "10", 4},
    DamagedFile{"NegativeCount", -3, -5, Stored::whole, {1}, {"a"}, "", "0", 2},
    DamagedFile{"BadChecksumWithAccounts", 2, 30, Stored::badChecksum, {1, 2}, {"a", "b"}, "SETTINGS DATA ERROR!!", "0", 3},
    // A section number far beyond the status slots: nothing read but the
    // records present, and those beyond the slots left as they are.
    DamagedFile{"NoSettingsAndAFarSection", 0, 0, Stored::none, {1, 2, 2000000000}, {"a", "b"},
                "SETTINGS DATA ERROR!! | ACCOUNT NUMBER ERROR!!", "0", 3},
    DamagedFile{"HugeCountAndAFarSection", INT_MAX, 5, Stored::whole, {1, 2000000000}, {"a"},
                "ACCOUNT NUMBER ERROR!!", "5", 2},
    DamagedFile{"FifteenAndRecordsPastItWithinTheCount", 17, 5, Stored::whole, {1, 15, 16, 17}, kFifteenShown,
                "ACCOUNT NUMBER ERROR!!", "5", 0},
    DamagedFile{"ARecordPastFifteenBeyondTheCount", 2, 5, Stored::whole, {1, 2, 16}, {"a", "b"}, "", "5", 3}),
    [](const ::testing::TestParamInfo<DamagedFile>& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, NothingOfAFormerValueStaysInTheFile)
{
    SettingsRecord handEdited = makeSettings(0, 5);
    handEdited.alignment[0] = handEdited.alignment[1] = handEdited.alignment[2] = 0xAA;
    ASSERT_TRUE(writeSettings(iniPath, handEdited));
    // The copy a change leaves when it is cut short by a crash.
    const std::string copy = iniPath.substr(0, iniPath.size() - 3) + "new";
    FILE* stale = fopen(copy.c_str(), "wb");
    ASSERT_NE(nullptr, stale);
    fputs("[USERDATA-NO9]\r\nDATA=00\r\n", stale);
    fclose(stale);
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    startProgram();

    const std::string password = "a-password-of-29-characters!!";
    ASSERT_TRUE(registerNewAccount("a", password.c_str()));
    ASSERT_TRUE(registerNewAccount("b", "pw"));
    ASSERT_TRUE(registerNewAccount("c", "pw"));
    SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_SETCURSEL, 0, 0);
    boxes.queueAnswers({IDYES});
    theApp.accountList.deleteAccount(0);
    EXPECT_EQ("INPUT DATA!! | INPUT DATA!! | INPUT DATA!! | DELETE DATA?? | DELETE DATA!!", boxes.captions());

    const std::string text = fileText(iniPath);
    EXPECT_EQ(std::string::npos, text.find(hexOf(password.substr(3)))) << "the deleted account's password";
    EXPECT_EQ("000000", rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA").substr(10, 6)) << "alignment";
    EXPECT_EQ(std::string::npos, text.find("USERDATA-NO9"));
    EXPECT_FALSE(fileExists(copy));
}

// The encodings Notepad saves in. Windows' profile functions read only ANSI
// and UTF-16 LE text; Wine's read all of these.
enum class Saved { ansi, utf8, utf8WithBom, utf16le, utf16be };

struct NotepadFile {
    const char* name;
    Saved saved;
};

std::ostream& operator<<(std::ostream& out, const NotepadFile& row) { return out << row.name; }

// Text of another program in the same file, which a change must keep.
#define OTHER_TEXT "[メモ]\r\n内容=日本語のテキスト\r\n"

std::string encoded(UINT codePage, const std::wstring& text)
{
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), NULL, 0, NULL, NULL);
    std::string bytes(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, NULL, NULL);
    return bytes;
}

std::string savedAs(Saved saved, const std::wstring& text)
{
    switch (saved) {
    case Saved::ansi:        return encoded(932, text);
    case Saved::utf8:        return encoded(CP_UTF8, text);
    case Saved::utf8WithBom: return "\xEF\xBB\xBF" + encoded(CP_UTF8, text);
    case Saved::utf16le:
    case Saved::utf16be:     break;
    }
    const bool little = saved == Saved::utf16le;
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (wchar_t unit : text) {
        char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
    }
    return bytes;
}

class NotepadFiles : public AppFixture, public ::testing::WithParamInterface<NotepadFile> {};

TEST_P(NotepadFiles, AreReadWholeAndWrittenBackAsPlainTextWithEverythingInThem)
{
    SettingsRecord settings = makeSettings(2, 25);
    settings.reportPerUser = 1;
    const AccountRecord accounts[2] = {
        makeAccount("仕事", "work", "pw-work", "127.0.0.9"),
        makeAccount("自宅", "home", "pw-home", "127.0.0.9", "C:\\mail\\mail.exe", true),
    };
    // The values as the platform writes them, options on the first line.
    ASSERT_TRUE(writeSettings(iniPath, settings));
    for (int n = 1; n <= 2; ++n)
        ASSERT_TRUE(writeAccount(iniPath, n, accounts[n - 1]));
    const std::string values = fileText(iniPath);
    const std::string bytes = savedAs(GetParam().saved, std::wstring(values.begin(), values.end()) + L"" OTHER_TEXT);
    ASSERT_TRUE(writeFile(iniPath, bytes));

    // The program's own reading of these bytes: on Windows the profile
    // functions would not see the first section behind a UTF-8 mark.
    ProfileText own;
    ASSERT_TRUE(own.take(bytes.data(), bytes.size()));
    SettingsRecord read = {};
    EXPECT_TRUE(own.readRecord("KORVELLIN-Quillora", "QXDATA", &read, sizeof read));
    EXPECT_EQ(0, memcmp(&settings, &read, sizeof read));
    EXPECT_EQ(2, own.highestAccountSection("DATA", INT32_MAX));

    startProgram();
    EXPECT_EQ("", boxes.captions());
    EXPECT_EQ((Lines{"仕事", "自宅"}), listLines());
    EXPECT_TRUE(isChecked(IDC_REPORT_PER_USER));
    EXPECT_FALSE(isChecked(IDC_LAN_MODE));
    EXPECT_EQ(25u, GetDlgItemInt(theApp.mainWindow, IDC_INTERVAL, NULL, FALSE));
    ASSERT_TRUE(theApp.store.readAccountRecord(2));
    EXPECT_EQ(0, memcmp(&accounts[1], &theApp.store.workRecord(), sizeof accounts[1]));

    check(IDC_LAN_MODE, true);
    SendMessageA(theApp.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ("", boxes.captions()) << "saved";
    const std::string after = fileText(iniPath);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ('[', after[0]) << "no byte-order mark";
    EXPECT_EQ(std::string::npos, after.find('\0')) << "no UTF-16";
    EXPECT_EQ(after.find("[KORVELLIN-Quillora]"), after.rfind("[KORVELLIN-Quillora]")) << "one options section";
    EXPECT_NE(std::string::npos, after.find(OTHER_TEXT)) << "the other text, in Shift_JIS";
    SettingsRecord saved = {};
    ASSERT_TRUE(readSettings(iniPath, saved));
    settings.lanMode = 1;
    EXPECT_EQ(0, memcmp(&settings, &saved, sizeof saved));
    for (int n = 1; n <= 2; ++n) {
        AccountRecord account = {};
        ASSERT_TRUE(readAccount(iniPath, n, account));
        EXPECT_EQ(0, memcmp(&accounts[n - 1], &account, sizeof account)) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(AsNotepadSavesThem, NotepadFiles, ::testing::Values(
    NotepadFile{"Ansi", Saved::ansi},
    NotepadFile{"Utf8", Saved::utf8},
    NotepadFile{"Utf8WithBom", Saved::utf8WithBom},
    NotepadFile{"Utf16LittleEndian", Saved::utf16le},
    NotepadFile{"Utf16BigEndian", Saved::utf16be}),
    [](const ::testing::TestParamInfo<NotepadFile>& info) { return std::string(info.param.name); });

// Logins and passwords as long as whole mail addresses and password managers
// make them.
TEST_F(SettingsFile, TextsTooLongForTheRecordAreStoredWholeBesideIt)
{
    const std::string kanji = "漢字";   // two characters of two bytes each
    const struct {
        const char* name;
        std::string account, password, accountField, passwordField;
    } cases[] = {
        {"a 40-byte login, a 64-byte password", std::string(40, 'l'), std::string(64, 'p'), std::string(31, 'l'),
         std::string(31, 'p')},
        {"a character across the field's end", std::string(30, 'a') + kanji, "pw", std::string(30, 'a'), "pw"},
        {"as much as the fields hold", std::string(31, 'a'), std::string(29, 'b') + "字", std::string(31, 'a'),
         std::string(29, 'b') + "字"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(iniPath.c_str());
        ASSERT_TRUE(ownStore().addAccount(makeAccount("user", "", "", "127.0.0.9"), c.account.c_str(),
                                          c.password.c_str()));

        AccountRecord record = {};
        ASSERT_TRUE(readAccount(iniPath, 1, record));
        EXPECT_EQ(c.accountField, record.account);
        EXPECT_EQ(c.passwordField, record.password);
        const struct { const char* key; const std::string& text; const std::string& field; } whole[] = {
            {"ACCOUNT", c.account, c.accountField}, {"PASSWORD", c.password, c.passwordField}};
        for (const auto& w : whole) {
            if (w.text == w.field)
                EXPECT_EQ("", rawValue(iniPath, "USERDATA-NO1", w.key)) << "only a text that does not fit";
            else
                EXPECT_TRUE(holdsBytes(iniPath, "USERDATA-NO1", w.key, w.text)) << w.key;
        }

        SettingsStore started = ownStore();
        ASSERT_TRUE(started.readAccountRecord(1));
        EXPECT_EQ(c.account, started.workAccount());
        EXPECT_EQ(c.password, started.workPassword());
        EXPECT_EQ(c.accountField, started.workRecord().account);
    }
}

TEST_F(SettingsFile, ARecordAnEarlierVersionChangedIsReadAsItLeftIt)
{
    const std::string login(40, 'l'), password(64, 'p');
    const struct {
        const char* name;
        const char* account;    // what the earlier version stored; nullptr: the field as it was
        const char* password;
        std::string wholeAccount, wholePassword;
    } cases[] = {
        {"a new password", nullptr, "new-pw", login, "new-pw"},
        {"a new user name only", nullptr, nullptr, login, password},
        {"a new login and password", "short", "other", "short", "other"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(iniPath.c_str());
        ASSERT_TRUE(ownStore().addAccount(makeAccount("user", "", "", "127.0.0.9"), login.c_str(), password.c_str()));

        // The earlier version reads and writes the record alone, and
        // copies a text over the field without clearing what follows.
        AccountRecord record = {};
        ASSERT_TRUE(readAccount(iniPath, 1, record));
        strcpy(record.userName, "renamed");
        if (c.account)
            strcpy(record.account, c.account);
        if (c.password)
            strcpy(record.password, c.password);
        ASSERT_TRUE(writeAccount(iniPath, 1, record));

        SettingsStore started = ownStore();
        ASSERT_TRUE(started.readAccountRecord(1));
        EXPECT_STREQ("renamed", started.workRecord().userName);
        EXPECT_EQ(c.wholeAccount, started.workAccount());
        EXPECT_EQ(c.wholePassword, started.workPassword());
    }
}

TEST_F(SettingsFile, DeletingMovesWholeTextsWithTheirRecordsAndLeavesNothingOfTheDeleted)
{
    const char* names[] = {"one", "two", "three"};
    auto loginOf = [](int n) { return std::string(40, static_cast<char>('a' + n)); };
    auto passwordOf = [](int n) { return std::string(64, static_cast<char>('A' + n)); };
    SettingsStore store = ownStore();
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(store.addAccount(makeAccount(names[n - 1], "", "", "127.0.0.9"), loginOf(n).c_str(),
                                     passwordOf(n).c_str()));
    const std::string deletedRecord = rawValue(iniPath, "USERDATA-NO1", "DATA");
    startProgram();
    boxes.queueAnswers({IDYES});
    theApp.accountList.deleteAccount(0);
    EXPECT_EQ("DELETE DATA?? | DELETE DATA!!", boxes.captions());

    const std::string text = fileText(iniPath);
    EXPECT_EQ(std::string::npos, text.find(deletedRecord)) << "the deleted record";
    EXPECT_EQ(std::string::npos, text.find(hexOf(loginOf(1).substr(0, 8)))) << "the deleted login";
    EXPECT_EQ(std::string::npos, text.find(hexOf(passwordOf(1).substr(0, 8)))) << "the deleted password";
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(names[n], storedName(iniPath, n));
        EXPECT_TRUE(holdsBytes(iniPath, sectionOf(n).c_str(), "ACCOUNT", loginOf(n + 1))) << n;
        EXPECT_TRUE(holdsBytes(iniPath, sectionOf(n).c_str(), "PASSWORD", passwordOf(n + 1))) << n;
    }
    for (const char* key : {"DATA", "ACCOUNT", "PASSWORD"})
        EXPECT_EQ("", rawValue(iniPath, "USERDATA-NO3", key)) << key;
}

namespace {

std::string hexZeros(size_t bytes) { return std::string(2 * bytes, '0'); }

// A settings file as the 32-bit Quillora.exe left it: two accounts
// registered, the second with a login and a password longer than the
// record's fields, then the options saved. Each field of a record is one
// piece, its text followed by the zeros that fill its width.
const std::string kFileOf32BitVersion =
    "[USERDATA-NO1]\r\n"
    "DATA="
    "8E5293632091BE9859" + hexZeros(64 - 9) +                                   // 山田 太郎
    "7461726F" + hexZeros(32 - 4) +                                             // taro
    "7040737320776F7264" + hexZeros(32 - 9) +                                   // p@ss word
    "706F702E6578616D706C652E6A703A393935" + hexZeros(64 - 18) +                // pop.example.jp:995
    "01" +                                                                      // launch the mail program
    "433A5C50726F6772616D2046696C65735C4D61696C5C6D61696C2E657865" + hexZeros(260 - 30) +
    "C3\r\n"
    "[KORVELLIN-Quillora]\r\n"
    "QXDATA=01000101010000000F0000000200000015\r\n"
    "[USERDATA-NO2]\r\n"
    "DATA="
    "97E996D82089D48E71" + hexZeros(64 - 9) +                                   // 鈴木 花子
    "68616E616B6F2E73757A756B692E6C6F6E676E616D65406578616D706C652D00" +        // 31 bytes of the login
    "50772D303132333435363738392D6162636465666768696A2D4B4C4D4E4F5000" +        // 31 bytes of the password
    "3132372E302E302E31" + hexZeros(64 - 9) +                                   // 127.0.0.1
    "00" + hexZeros(260) +
    "65\r\n"
    "ACCOUNT=68616E616B6F2E73757A756B692E6C6F6E676E616D65406578616D706C652D6D61696C2E636F2E6A70CE\r\n"
    "PASSWORD=50772D303132333435363738392D6162636465666768696A2D4B4C4D4E4F50515253546D\r\n";

}  // namespace

// The file's format is the same whatever the architecture: the 64-bit
// program reads every field of a file the 32-bit one wrote, and storing the
// same accounts and options again gives the 32-bit program's bytes back.
TEST_F(SettingsFile, AFileOfThe32BitVersionIsReadWholeAndWrittenBackByteForByte)
{
    ASSERT_TRUE(writeFile(iniPath, kFileOf32BitVersion));
    startProgram();
    SettingsRecord settings = makeSettings(2, 15);
    settings.reportOnTop = settings.reportPerUser = settings.lanMode = settings.endRoundOnLaunch = 1;
    EXPECT_EQ(0, memcmp(&settings, &theApp.store.settings(), sizeof settings));
    const struct {
        AccountRecord record;   // every field, the bytes after each text zero
        const char *wholeAccount, *wholePassword;
    } accounts[] = {
        {makeAccount("山田 太郎", "taro", "p@ss word", "pop.example.jp:995", "C:\\Program Files\\Mail\\mail.exe", true),
         "taro", "p@ss word"},
        {makeAccount("鈴木 花子", "hanako.suzuki.longname@example-", "Pw-0123456789-abcdefghij-KLMNOP", "127.0.0.1"),
         "hanako.suzuki.longname@example-mail.co.jp", "Pw-0123456789-abcdefghij-KLMNOPQRST"},
    };
    for (int n = 1; n <= 2; ++n) {
        const auto& a = accounts[n - 1];
        SCOPED_TRACE(a.wholeAccount);
        SettingsStore& store = theApp.store;
        ASSERT_TRUE(store.readAccountRecord(n));
        EXPECT_EQ(0, memcmp(&a.record, &store.workRecord(), sizeof a.record)) << store.workRecord().userName;
        EXPECT_STREQ(a.wholeAccount, store.workAccount());
        EXPECT_STREQ(a.wholePassword, store.workPassword());
        ASSERT_TRUE(store.replaceAccount(n, store.workRecord(), store.workAccount(), store.workPassword()));
    }
    saveSettings();
    EXPECT_EQ(kFileOf32BitVersion, fileText(iniPath));
}

// The folder before start-up as a save cut short (a power cut, a stick pulled
// out), another program or the user left it: each file by its ending after
// the program's own name. Afterwards every such file but the exe is compared.
enum class Bytes { whole, stale, cutShort, cutInRecord, zeros, earlierBad, wholeSaved, savedAlone, folder };
using Folder = std::map<std::string, Bytes>;

struct FolderBeforeStartUp {
    const char* name;
    Folder before;
    bool hidden;          // the file marked hidden
    DWORD heldMs;         // the file held open without sharing from just before the options are saved
    const char* boxes;    // at start-up, at showing the window and at the save
    Folder after;         // after the save
    DWORD withinMs = 3000;   // for the save: a window that waits 5 s is taken for hung
    bool heldAtStartUp = false;   // held from before start-up instead
};

std::ostream& operator<<(std::ostream& out, const FolderBeforeStartUp& row) { return out << row.name; }

class CutShortSaves : public AppFixture, public ::testing::WithParamInterface<FolderBeforeStartUp> {};

TEST_P(CutShortSaves, NeverLoseTheAccounts)
{
    const FolderBeforeStartUp& row = GetParam();
    const std::string stem = iniPath.substr(0, iniPath.size() - 3);
    auto written = [&](int interval, std::vector<const char*> names) {   // as the platform writes a file
        EXPECT_TRUE(writeSettings(stem + "make", makeSettings(static_cast<int>(names.size()), interval)));
        for (size_t n = 1; n <= names.size(); ++n)
            EXPECT_TRUE(writeAccount(stem + "make", static_cast<int>(n), makeAccount(names[n - 1], "a", "p", "s")));
        std::string bytes = fileText(stem + "make");
        DeleteFileA((stem + "make").c_str());
        return bytes;
    };
    const std::string whole = written(10, {"a", "b"}), options = "QXDATA=00000000000000000A000000020000000C";
    std::string wholeSaved = whole;   // with "LAN環境での使用" on
    wholeSaved.replace(wholeSaved.find(options), options.size(), "QXDATA=00000001000000000A000000020000000D");
    const std::map<Bytes, std::string> bytes = {
        {Bytes::whole, whole}, {Bytes::stale, written(5, {"old"})}, {Bytes::wholeSaved, wholeSaved},
        {Bytes::cutShort, whole.substr(0, 40)},   // inside the options' value
        {Bytes::cutInRecord, whole.substr(0, whole.size() - 100)},   // inside the second account's record
        {Bytes::folder, kFolder},
        {Bytes::zeros, std::string(512, '\0')}, {Bytes::earlierBad, "[KORVELLIN-Quillora]\r\nQX"},
        {Bytes::savedAlone, "[KORVELLIN-Quillora]\r\nQXDATA=0000000100000000000000000000000001\r\n"}};
    for (const auto& file : row.before) {
        if (file.second == Bytes::folder)
            ASSERT_TRUE(CreateDirectoryA((stem + file.first).c_str(), NULL));
        else
            ASSERT_TRUE(writeFile(stem + file.first, bytes.at(file.second)));
    }
    if (row.hidden && !(SetFileAttributesA(iniPath.c_str(), FILE_ATTRIBUTE_HIDDEN) &&
                        GetFileAttributesA(iniPath.c_str()) & FILE_ATTRIBUTE_HIDDEN))
        GTEST_SKIP() << "Wine keeps no file attributes on this file system";

    HANDLE held = NULL;
    std::thread release;
    auto hold = [&] {
        held = CreateFileA(iniPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, held);
        release = std::thread([&] {
            Sleep(row.heldMs);
            CloseHandle(held);
        });
    };
    if (row.heldMs && row.heldAtStartUp)
        hold();
    startProgram();
    SendMessageA(theApp.mainWindow, WM_COMMAND, IDM_SHOW_WINDOW, 0);
    check(IDC_LAN_MODE, true);
    if (row.heldMs && !row.heldAtStartUp)
        hold();
    const DWORD began = GetTickCount();
    SendMessageA(theApp.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_LT(GetTickCount() - began, row.withinMs);
    if (release.joinable())
        release.join();

    EXPECT_EQ(row.boxes, boxes.captions());
    std::string restored = row.before.count("ini")
        ? "設定ファイル *ini が壊れていて読めなかったため、保存の途中で残っていた *new から設定とアカウントを復元しました。\n"
          "壊れていたファイルは *ini.bad という名前で残してあります。"
        : "設定ファイル *ini が見つからなかったため、保存の途中で残っていた *new から設定とアカウントを復元しました。";
    // A copy that is not whole, by the name it was kept as.
    std::string kept = "new";
    for (const auto& file : row.after) {
        if (file.first.compare(0, 7, "new.bad") == 0 && row.before.count("new") && file.second == row.before.at("new"))
            kept = file.first;
    }
    std::map<std::string, std::string> texts = {
        {"SETTINGS RESTORED!!", restored},
        {"RESTORE ERROR!!", "設定ファイル *ini が見つかりませんでした。\n"
                            "保存の途中で残っていた *new は、設定かアカウントのデータが壊れていたため、復元していません。\n"
                            "そのファイルは *" + kept + " という名前で残してあります。"},
        {"SETTINGS READ ERROR!!", "設定ファイル *ini を読み込めませんでした。\n"
                                  "ほかのプログラム（バックアップ、同期、ウイルス対策のソフトなど）が使用中か、"
                                  "読み取りが許可されていないかもしれません。\n"
                                  "読み込めるまで、設定ファイルには何も書き込みません。設定画面を開くときなどに、もう一度読み込みます。"}};
    for (auto& text : texts) {
        for (size_t star; (star = text.second.find('*')) != std::string::npos;)
            text.second.replace(star, 1, stem.substr(stem.rfind('\\') + 1));   // the program's own name and the dot
    }
    for (const SeenBox& box : boxes.boxes()) {
        if (texts.count(box.caption)) {
            EXPECT_EQ(texts[box.caption], box.text);
            EXPECT_EQ(box.caption == "SETTINGS RESTORED!!" ? BoxIcon::information : BoxIcon::warning, box.icon);
            if (box.caption != "SETTINGS READ ERROR!!") {
                EXPECT_EQ(nullptr, box.owner);
            }
        }
    }
    std::map<std::string, std::string> expected;
    for (const auto& file : row.after)
        expected[file.first] = bytes.at(file.second);
    EXPECT_EQ(expected, settingsFiles(iniPath));
    EXPECT_EQ(row.hidden, (GetFileAttributesA(iniPath.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
}

INSTANTIATE_TEST_SUITE_P(Folders, CutShortSaves, ::testing::Values(
    FolderBeforeStartUp{"OnlyAWholeCopy", {{"new", Bytes::whole}}, false, 0, "SETTINGS RESTORED!!",
                        {{"ini", Bytes::wholeSaved}}},
    FolderBeforeStartUp{"OnlyACopyCutShort", {{"new", Bytes::cutShort}}, false, 0, "RESTORE ERROR!!",
                        {{"ini", Bytes::savedAlone}, {"new.bad", Bytes::cutShort}}},
    // Its options whole, an account it counts cut short: no account would read.
    FolderBeforeStartUp{"OnlyACopyCutInARecord", {{"new", Bytes::cutInRecord}}, false, 0, "RESTORE ERROR!!",
                        {{"ini", Bytes::savedAlone}, {"new.bad", Bytes::cutInRecord}}},
    FolderBeforeStartUp{"ACopyCutShortBesideAnEarlierOne", {{"new", Bytes::cutShort}, {"new.bad", Bytes::earlierBad}},
                        false, 0, "RESTORE ERROR!!",
                        {{"ini", Bytes::savedAlone}, {"new.bad", Bytes::earlierBad}, {"new.bad2", Bytes::cutShort}}},
    FolderBeforeStartUp{"AZeroedFileBesideAWholeCopy", {{"ini", Bytes::zeros}, {"new", Bytes::whole}}, false, 0,
                        "SETTINGS RESTORED!!", {{"ini", Bytes::wholeSaved}, {"ini.bad", Bytes::zeros}}},
    FolderBeforeStartUp{"AWholeFileBesideAStaleCopy", {{"ini", Bytes::whole}, {"new", Bytes::stale}}, false, 0, "",
                        {{"ini", Bytes::wholeSaved}}},
    FolderBeforeStartUp{"HeldOpenForOneSecond", {{"ini", Bytes::whole}}, false, 1000, "", {{"ini", Bytes::wholeSaved}}},
    FolderBeforeStartUp{"HeldOpenForFiveSeconds", {{"ini", Bytes::whole}}, false, 5000, "SAVE ERROR!!",
                        {{"ini", Bytes::whole}}},
    FolderBeforeStartUp{"Hidden", {{"ini", Bytes::whole}}, true, 0, "", {{"ini", Bytes::wholeSaved}}},
    // Held by a backup, a sync or a virus scanner as the program starts: each
    // step that needs the file reads it again, and until one can, nothing is
    // written (no count of 0 over the accounts).
    FolderBeforeStartUp{"HeldForOneAndAHalfSecondsAtStartUp", {{"ini", Bytes::whole}}, false, 1500, "",
                        {{"ini", Bytes::wholeSaved}}, 3000, true},
    FolderBeforeStartUp{"HeldForTwelveSecondsAtStartUp", {{"ini", Bytes::whole}}, false, 12000,
                        "SETTINGS READ ERROR!! | SETTINGS READ ERROR!! | SETTINGS READ ERROR!!",
                        {{"ini", Bytes::whole}}, 3000, true},
    // Access denied to the stale copy's replace is no other program's hold:
    // no wait for it.
    FolderBeforeStartUp{"AFolderInTheStaleCopysPlace", {{"ini", Bytes::whole}, {"new", Bytes::folder}}, false, 0,
                        "SAVE ERROR!!", {{"ini", Bytes::whole}, {"new", Bytes::folder}}, 1000}),
    [](const ::testing::TestParamInfo<FolderBeforeStartUp>& info) { return std::string(info.param.name); });

// Another program opens the file or its copy in the middle of a change, as a
// virus scanner opens a file just written.
enum class Scan {
    fileOnceCopied,      // the file, without sharing, the moment the copy is made
    copyBeforeTheMove,   // the copy, sharing it only for the move, while the file is held open until then
};

struct ScannedChange {
    const char* name;
    Scan scan;
    bool deleting;       // the first account; otherwise one registered
    const char* boxes;
    Lines stored;
};

std::ostream& operator<<(std::ostream& out, const ScannedChange& row) { return out << row.name; }

class ScannedChanges : public AppFixture, public ::testing::WithParamInterface<ScannedChange> {};

TEST_P(ScannedChanges, AreMadeWholeAndTheProgramGoesOnFromThem)
{
    const ScannedChange& row = GetParam();
    ASSERT_TRUE(writeSettings(iniPath, makeSettings(3)));
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(nameOf(n).c_str(), "acct", "pw", "127.0.0.9")));
    // Another program's notes: long enough that each step of the change
    // leaves the scanner time to come in between.
    std::string notes = "[Notes]\r\n";
    for (int line = 0; line < 20000; ++line)
        notes += "line" + std::to_string(line) + "=some text of the notes\r\n";
    ASSERT_TRUE(writeFile(iniPath, fileText(iniPath) + notes));
    startProgram();
    const std::string copy = iniPath.substr(0, iniPath.size() - 3) + "new";
    HANDLE file = row.scan == Scan::copyBeforeTheMove
        ? CreateFileA(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL)
        : NULL;
    HANDLE scanned = INVALID_HANDLE_VALUE;
    std::thread scanner([&] {
        for (DWORD start = GetTickCount(); !fileExists(copy) && GetTickCount() - start < 5000;) {
        }
        if (row.scan == Scan::fileOnceCopied) {
            for (DWORD start = GetTickCount(); scanned == INVALID_HANDLE_VALUE && GetTickCount() - start < 5000;)
                scanned = CreateFileA(iniPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            Sleep(300);
        } else {
            // Once the copy is checked: the file then cannot be read back
            // for longer than the steps before left of the bound.
            Sleep(500);
            scanned = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
            CloseHandle(file);
            Sleep(1800);
        }
        CloseHandle(scanned);
    });
    if (row.deleting) {
        SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_SETCURSEL, 0, 0);
        boxes.queueAnswers({IDYES});
        theApp.accountList.deleteAccount(0);
    } else {
        registerNewAccount("new", "pw");
    }
    scanner.join();
    EXPECT_NE(INVALID_HANDLE_VALUE, scanned) << "the scanner came too early";

    EXPECT_EQ(row.boxes, boxes.captions());
    SettingsRecord saved = {};
    Lines stored;
    for (int n = 1; readSettings(iniPath, saved) && n <= saved.accountCount; ++n)
        stored.push_back(storedName(iniPath, n));
    EXPECT_EQ(row.stored, stored);
    EXPECT_EQ(row.stored, listLines());
    EXPECT_EQ(saved.accountCount, theApp.store.settings().accountCount) << "what the next change starts from";
}

INSTANTIATE_TEST_SUITE_P(ByAVirusScanner, ScannedChanges, ::testing::Values(
    ScannedChange{"DeletingWithTheFileHeld", Scan::fileOnceCopied, true, "DELETE DATA?? | DELETE DATA!!", {"b", "c"}},
    ScannedChange{"DeletingWithTheFileReplaced", Scan::copyBeforeTheMove, true, "DELETE DATA?? | DELETE DATA!!",
                  {"b", "c"}},
    ScannedChange{"RegisteringWithTheFileReplaced", Scan::copyBeforeTheMove, false, "INPUT DATA!!",
                  {"a", "b", "c", "new"}}),
    [](const ::testing::TestParamInfo<ScannedChange>& info) { return std::string(info.param.name); });
