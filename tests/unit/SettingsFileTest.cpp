// The settings file as other programs and earlier versions see it: sections,
// keys, the hexadecimal encoding with its checksum, and damaged values.
#include "AppFixture.h"
#include "config/SettingsFile.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"

#include <climits>
#include <cstring>

using namespace testsettings;

namespace {

// "新規登録" through the account dialog's own code, in a modeless stand-in
// for the modal dialog.
bool registerNewAccount(const char* userName, const char* password)
{
    theApp.editMode = 0;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ACCOUNT), theApp.mainWindow,
                                     accountDialogProc, 0);
    for (int id : {IDC_USER_NAME, IDC_ACCOUNT_NAME, IDC_SERVER})
        SetDlgItemTextA(dialog, id, userName);
    SetDlgItemTextA(dialog, IDC_PASSWORD, password);
    bool registered = theApp.registerAccount(dialog);
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

}  // namespace

class SettingsFile : public AppFixture {};

TEST_F(SettingsFile, LivesBesideTheProgramWithIniForExe)
{
    char path[MAX_PATH];
    TrayApp::settingsFilePath(path);
    EXPECT_EQ(iniPath, path);
    std::string lower(path);
    EXPECT_EQ(".ini", lower.substr(lower.size() - 4));
}

TEST_F(SettingsFile, SettingsValueIsHexPlusChecksum)
{
    theApp.settings = makeSettings(2, 10);
    theApp.settings.reportOnTop = 1;
    ASSERT_TRUE(theApp.writeSettingsRecord());
    EXPECT_EQ("01000000000000000A000000020000000D", rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA"));
}

TEST_F(SettingsFile, BothRecordsSurviveARoundTrip)
{
    theApp.settings = makeSettings(3, 42);
    theApp.settings.reportUnread = 1;
    theApp.settings.endRoundOnLaunch = 1;
    ASSERT_TRUE(theApp.writeSettingsRecord());
    theApp.workRecord = makeAccount("山田 太郎", "taro", "p@ss word", "pop.example.jp",
                                    "C:\\Program Files\\Mail\\mail.exe", true);
    ASSERT_TRUE(theApp.writeAccountRecord(3));

    std::string value = rawValue(iniPath, "USERDATA-NO3", "DATA");
    EXPECT_EQ(908u, value.size());

    SettingsRecord expected = theApp.settings;
    AccountRecord expectedAccount = theApp.workRecord;
    resetApplicationObject();
    ASSERT_TRUE(theApp.readSettingsRecord());
    EXPECT_EQ(0, memcmp(&expected, &theApp.settings, sizeof expected));
    ASSERT_TRUE(theApp.readAccountRecord(3));
    EXPECT_EQ(0, memcmp(&expectedAccount, &theApp.workRecord, sizeof expectedAccount));
}

TEST_F(SettingsFile, OneWrongDigitIsRejectedAndLeavesTheSettingsAlone)
{
    WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", "01000000000000000A000000020000001D",
                               iniPath.c_str());
    theApp.settings = makeSettings(0, 7);
    EXPECT_FALSE(theApp.readSettingsRecord());
    EXPECT_EQ(7, theApp.settings.intervalMinutes);
    EXPECT_EQ(0, theApp.settings.accountCount);
}

TEST_F(SettingsFile, ValuesOfTheWrongLengthAreRejected)
{
    WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", "01000000000000000A00000002000000",
                               iniPath.c_str());
    EXPECT_FALSE(theApp.readSettingsRecord());
    WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", "", iniPath.c_str());
    EXPECT_FALSE(theApp.readSettingsRecord());
}

TEST_F(SettingsFile, UnreadableAccountComesBackEmptyNotAsThePreviousOne)
{
    theApp.workRecord = makeAccount("first", "a", "b", "127.0.0.1");
    ASSERT_TRUE(theApp.writeAccountRecord(1));
    WritePrivateProfileStringA("USERDATA-NO2", "DATA", "00FF", iniPath.c_str());

    ASSERT_TRUE(theApp.readAccountRecord(1));
    EXPECT_FALSE(theApp.readAccountRecord(2));
    EXPECT_STREQ("", theApp.workRecord.userName);
    EXPECT_STREQ("", theApp.workRecord.server);
    EXPECT_FALSE(theApp.readAccountRecord(3));   // no section at all
    EXPECT_STREQ("", theApp.workRecord.account);
}

TEST_F(SettingsFile, FieldsWithoutTerminatorAreCutInsideTheirWidth)
{
    // A hand-edited record whose text fields are full to the last byte.
    AccountRecord full;
    memset(&full, 'A', sizeof full);
    full.launchMailer = 1;
    ASSERT_TRUE(writeAccount(iniPath, 1, full));

    ASSERT_TRUE(theApp.readAccountRecord(1));
    EXPECT_EQ(63u, strlen(theApp.workRecord.userName));
    EXPECT_EQ(31u, strlen(theApp.workRecord.account));
    EXPECT_EQ(31u, strlen(theApp.workRecord.password));
    EXPECT_EQ(63u, strlen(theApp.workRecord.server));
    EXPECT_EQ(259u, strlen(theApp.workRecord.mailerPath));
}

// Counts and settings values as hand editing leaves them. Record n is named
// by the n-th letter.
struct DamagedFile {
    const char* name;
    int32_t count, interval;
    bool badChecksum;              // one wrong digit; the options are all on
    std::vector<int> records;      // the numbers present in the file
    std::vector<std::string> shown;
    const char* box;               // at start-up
    const char* intervalShown;
    int next;                      // the number a new account is given
};

std::ostream& operator<<(std::ostream& out, const DamagedFile& row) { return out << row.name; }

class DamagedFiles : public AppFixture, public ::testing::WithParamInterface<DamagedFile> {};

TEST_P(DamagedFiles, ListOnlyTheRecordsPresentAndRegisterAfterTheLast)
{
    const DamagedFile& row = GetParam();
    SettingsRecord stored = makeSettings(row.count, row.interval);
    stored.lanMode = stored.reportUnread = row.badChecksum;
    ASSERT_TRUE(writeSettings(iniPath, stored));
    if (row.badChecksum) {
        std::string value = rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA");
        value.back() = value.back() == '0' ? '1' : '0';
        ASSERT_TRUE(WritePrivateProfileStringA("KORVELLIN-Quillora", "QXDATA", value.c_str(), iniPath.c_str()));
    }
    for (int n : row.records)
        ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(std::string(1, 'a' + n - 1).c_str(), "acct", "pw", "127.0.0.9")));

    startProgram();
    EXPECT_EQ(row.box, boxes.captions());
    if (boxes.count() > 0) {
        EXPECT_EQ(nullptr, boxes.boxes()[0].owner);
        EXPECT_FALSE(isChecked(IDC_LAN_MODE)) << "options off";
    }
    EXPECT_EQ(row.shown, listLines());
    EXPECT_EQ(static_cast<int>(row.shown.size()), theApp.settings.accountCount) << "what a round checks";
    char interval[16] = "";
    GetDlgItemTextA(theApp.mainWindow, IDC_INTERVAL, interval, sizeof interval);
    EXPECT_STREQ(row.intervalShown, interval);

    ASSERT_TRUE(registerNewAccount("new", "pw"));
    std::vector<std::string> after = row.shown;
    after.push_back("new");
    EXPECT_EQ(after, listLines());
    EXPECT_EQ("new", storedName(iniPath, row.next));
    for (int n : row.records)
        EXPECT_EQ(std::string(1, 'a' + n - 1), storedName(iniPath, n)) << "no record overwritten";
    SettingsRecord corrected = {};
    ASSERT_TRUE(readSettings(iniPath, corrected));
    EXPECT_EQ(row.next, corrected.accountCount) << "the count corrected with the registration";
}

INSTANTIATE_TEST_SUITE_P(HandEdited, DamagedFiles, ::testing::Values(
    DamagedFile{"CountOfTwoThousandMillion", INT_MAX, 65541, false, {1, 2}, {"a", "b"}, "", "99", 3},
    DamagedFile{"CountOfFortyWithAGap", 40, 10, false, {1, 3}, {"a", "", "c"}, "", "10", 4},
    DamagedFile{"NegativeCount", -3, -5, false, {1}, {"a"}, "", "0", 2},
    DamagedFile{"BadChecksumWithAccounts", 2, 30, true, {1, 2}, {"a", "b"}, "SETTINGS DATA ERROR!!", "0", 3}),
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
    theApp.deleteAccount(0);
    EXPECT_EQ("INPUT DATA!! | INPUT DATA!! | INPUT DATA!! | DELETE DATA?? | DELETE DATA!!", boxes.captions());

    const std::string text = fileText(iniPath);
    EXPECT_EQ(std::string::npos, text.find(hexOf(password.substr(3)))) << "the deleted account's password";
    EXPECT_EQ("000000", rawValue(iniPath, "KORVELLIN-Quillora", "QXDATA").substr(10, 6)) << "alignment";
    EXPECT_EQ(std::string::npos, text.find("USERDATA-NO9"));
    EXPECT_FALSE(fileExists(copy));
}
