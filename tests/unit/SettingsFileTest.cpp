// The settings file as other programs and earlier versions see it: sections,
// keys, the hexadecimal encoding with its checksum, and damaged values.
#include "AppFixture.h"
#include "config/SettingsFile.h"

#include <cstring>

using namespace testsettings;

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
