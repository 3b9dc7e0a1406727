// Account commands whose writes fail: another program holds the settings file
// open without write sharing, so it reads but does not write. The list and the
// count must stay what the file holds, and the same command must work once the
// file is free again.
#include "AppFixture.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"

using namespace testsettings;

namespace {

const std::vector<std::string> kStored = {"u1", "u2", "u3"};

int storedCount(const std::string& iniPath)
{
    SettingsRecord stored = {};
    return readSettings(iniPath, stored) ? stored.accountCount : -1;
}

}  // namespace

class AccountWrites : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(writeSettings(iniPath, makeSettings(3)));
        for (int n = 1; n <= 3; ++n)
            ASSERT_TRUE(writeAccount(iniPath, n, makeAccount(kStored[n - 1].c_str(), "acct", "pw", "127.0.0.9")));
        startProgram();
        before = fileText(iniPath);
        lock = CreateFileA(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    }
    void TearDown() override { unlock(), AppFixture::TearDown(); }
    void unlock()
    {
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
    }
    // After the failure box: nothing changed, in memory or in the file.
    void expectUnchanged(HWND owner)
    {
        EXPECT_EQ(owner, boxes.boxes().back().owner);
        EXPECT_EQ(BoxIcon::error, boxes.boxes().back().icon);
        EXPECT_EQ(kStored, listLines());
        EXPECT_EQ(3, theApp.settings.accountCount);
        unlock();
        EXPECT_EQ(before, fileText(iniPath));
    }

    HANDLE lock = INVALID_HANDLE_VALUE;
    std::string before;
};

TEST_F(AccountWrites, AFailedDeletionIsReportedAndTheListStaysAsTheFileHasIt)
{
    boxes.queueAnswers({IDYES, IDOK, IDYES});
    theApp.deleteAccount(0);
    EXPECT_EQ("DELETE DATA?? | DELETE ERROR!!", boxes.captions());
    expectUnchanged(theApp.mainWindow);

    theApp.deleteAccount(0);
    EXPECT_EQ("DELETE DATA?? | DELETE ERROR!! | DELETE DATA?? | DELETE DATA!!", boxes.captions());
    EXPECT_EQ((std::vector<std::string>{"u2", "u3"}), listLines());
    EXPECT_EQ(2, storedCount(iniPath)) << "the count was not lowered twice";
}

// A new account (edit mode 0) and an edit of the second line (1).
class RegistrationWrites : public AccountWrites, public ::testing::WithParamInterface<int> {};

TEST_P(RegistrationWrites, AFailedRegistrationIsReportedAndLeavesTheCount)
{
    const int editMode = GetParam();
    SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, LB_SETCURSEL, editMode ? 1 : -1, 0);
    theApp.editMode = static_cast<BYTE>(editMode);
    // A modeless stand-in for the modal dialog: registerAccount only reads its controls.
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ACCOUNT), theApp.mainWindow,
                                     accountDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    for (int id : {IDC_USER_NAME, IDC_ACCOUNT_NAME, IDC_PASSWORD, IDC_SERVER})
        SetDlgItemTextA(dialog, id, "changed");

    EXPECT_FALSE(theApp.registerAccount(dialog));
    EXPECT_EQ("WRITE ERROR!!", boxes.captions());
    expectUnchanged(dialog);

    EXPECT_TRUE(theApp.registerAccount(dialog)) << "the same input, once the file is free";
    EXPECT_EQ("WRITE ERROR!! | INPUT DATA!!", boxes.captions());
    std::vector<std::string> expected = kStored;
    if (editMode)
        expected[1] = "changed";
    else
        expected.push_back("changed");
    EXPECT_EQ(expected, listLines());
    EXPECT_EQ("", rawValue(iniPath, "USERDATA-NO0", "DATA")) << "an edit stays on its record";
    EXPECT_EQ(static_cast<int>(expected.size()), storedCount(iniPath));
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(NewAndEdit, RegistrationWrites, ::testing::Values(0, 1));
