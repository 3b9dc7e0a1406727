// The account list and the account dialog of the real program, driven from
// outside: what each command shows, what it stores and what it leaves alone.
#include "AppDriver.h"
#include "TestSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <array>

using namespace testsettings;

namespace {

const char kDialogCaption[] = "ユーザデータ登録画面";
const char kFileDialogCaption[] = "メールソフトの選択";
// The file name box of the explorer-style file dialog: a combo box with an edit inside.
const int kFileNameCombo = 0x47C;

using Lines = std::vector<std::string>;
// User name, account, password and server, in the dialog's order.
using Fields = std::array<std::string, 4>;
const int kFieldIds[4] = {IDC_USER_NAME, IDC_ACCOUNT_NAME, IDC_PASSWORD, IDC_SERVER};

Fields fieldsFor(const std::string& userName) { return {userName, userName + "-acct", "pw-" + userName, "127.0.0.9"}; }

AccountRecord recordFor(const std::string& userName, const std::string& mailerPath = "", bool launch = false)
{
    Fields f = fieldsFor(userName);
    return makeAccount(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), mailerPath.c_str(), launch);
}

void writeAccounts(const std::string& ini, const Lines& names)
{
    ASSERT_TRUE(writeSettings(ini, makeSettings(static_cast<int>(names.size()))));
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(writeAccount(ini, static_cast<int>(i) + 1, recordFor(names[i])));
}

int storedCount(const AppDriver& app)
{
    SettingsRecord settings = {};
    return readSettings(app.iniPath(), settings) ? settings.accountCount : -1;
}

AccountRecord stored(const AppDriver& app, int number)
{
    AccountRecord record = {};
    EXPECT_TRUE(readAccount(app.iniPath(), number, record)) << number;
    return record;
}

Fields fieldsOf(const AccountRecord& r) { return {r.userName, r.account, r.password, r.server}; }

void expectBox(const SeenBox& seen, const char* caption, const char* text, HWND owner, BoxIcon icon)
{
    EXPECT_EQ(caption, seen.caption);
    EXPECT_EQ(text, seen.text) << caption;
    EXPECT_EQ(owner, seen.owner) << caption;
    EXPECT_EQ(icon, seen.icon) << caption;
}

// "新規登録", or with a line "編集" of that line.
HWND openDialog(AppDriver& app, int line = -1)
{
    if (line >= 0)
        app.selectLine(line);
    app.command(line >= 0 ? IDC_EDIT_ACCOUNT : IDC_NEW_ACCOUNT);
    HWND dialog = app.waitForWindow(kDialogCaption);
    EXPECT_NE(nullptr, dialog) << "no account dialog";
    return dialog;
}

void fillDialog(AppDriver& app, HWND dialog, const Fields& fields)
{
    for (int i = 0; i < 4; ++i)
        app.setItemText(dialog, kFieldIds[i], fields[i]);
}

Fields dialogFields(AppDriver& app, HWND dialog)
{
    return {app.itemText(dialog, kFieldIds[0]), app.itemText(dialog, kFieldIds[1]), app.itemText(dialog, kFieldIds[2]),
            app.itemText(dialog, kFieldIds[3])};
}

void cancelDialog(AppDriver& app, HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(app.windowGone(dialog));
}

// Presses "登録" and answers the box it brings.
SeenBox pressRegister(AppDriver& app, HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDC_REGISTER, 0);
    return app.answerBox(IDOK);
}

void expectRegistered(AppDriver& app, HWND dialog)
{
    expectBox(pressRegister(app, dialog), "INPUT DATA!!", "登録しました！！", dialog, BoxIcon::warning);
    EXPECT_TRUE(app.windowGone(dialog));
}

void registerAndConfirm(AppDriver& app, const Fields& fields)
{
    HWND dialog = openDialog(app);
    fillDialog(app, dialog, fields);
    expectRegistered(app, dialog);
}

// With a path: types it into the file dialog and presses OK; without: cancels.
// Returns the file name the dialog offered.
std::string answerFileDialog(AppDriver& app, const char* path)
{
    HWND files = app.waitForWindow(kFileDialogCaption);
    HWND name = GetDlgItem(files, kFileNameCombo);
    if (!files || !name)
        return "(no file dialog)";
    std::string offered = windowTextOf(name);
    if (path)
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    PostMessageA(files, WM_COMMAND, path ? IDOK : IDCANCEL, 0);
    EXPECT_TRUE(app.windowGone(files));
    EXPECT_TRUE(app.sync());
    return offered;
}

std::string mailerCopy(const AppDriver& app)
{
    std::string copy = app.folder() + "\\mailer.exe";
    CopyFileA(FAKE_MAILER_PATH, copy.c_str(), FALSE);
    return copy;
}

}  // namespace

TEST(AccountDialog, AnEmptyListAsksForASelectionThenRegistersAndCutsALongUserName)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    for (int command : {IDC_EDIT_ACCOUNT, IDC_DELETE_ACCOUNT}) {
        app.command(command);
        expectBox(app.answerBox(IDOK), "LIST SELECT ERRROR", "リストを選択してください。", app.window(), BoxIcon::error);
        ASSERT_TRUE(app.sync());
        EXPECT_TRUE(app.noBoxWithin(200)) << command;
        EXPECT_EQ(nullptr, app.waitForWindow(kDialogCaption, 0)) << command;
    }
    EXPECT_FALSE(fileExists(app.iniPath()));

    const Fields first = {"仕事用", "work", "secret", "pop.example.test"};
    registerAndConfirm(app, first);
    EXPECT_EQ(Lines{"仕事用"}, app.listLines());
    EXPECT_EQ(908u, rawValue(app.iniPath(), "USERDATA-NO1", "DATA").size());
    EXPECT_EQ("01000000", rawValue(app.iniPath(), "KORVELLIN-Quillora", "QXDATA").substr(24, 8));
    EXPECT_EQ(first, fieldsOf(stored(app, 1)));
    EXPECT_EQ(0, stored(app, 1).launchMailer) << "toggle up, no path";
    EXPECT_STREQ("", stored(app, 1).mailerPath);

    registerAndConfirm(app, fieldsFor(std::string(70, 'x')));
    EXPECT_EQ(std::string(63, 'x'), stored(app, 2).userName);
    EXPECT_EQ((Lines{"仕事用", std::string(63, 'x')}), app.listLines());
    EXPECT_EQ(2, storedCount(app));
}

TEST(AccountDialog, AnEmptyFieldIsRefusedAndTheInputStays)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    HWND dialog = openDialog(app);
    for (int empty = 0; empty < 4; ++empty) {
        Fields input = fieldsFor("user");
        input[empty] = "";
        fillDialog(app, dialog, input);
        expectBox(pressRegister(app, dialog), "DATA MISS!!", "データの入力ミスがあります。", dialog, BoxIcon::error);
        ASSERT_TRUE(app.sync());
        EXPECT_TRUE(IsWindowVisible(dialog)) << empty;
        EXPECT_EQ(input, dialogFields(app, dialog));
    }
    EXPECT_FALSE(fileExists(app.iniPath())) << "nothing written";
    EXPECT_TRUE(app.listLines().empty());

    fillDialog(app, dialog, {" ", " ", " ", " "});   // spaces are not empty
    expectRegistered(app, dialog);
    EXPECT_EQ(1, storedCount(app));
}

TEST(AccountDialog, TheToggleChoosesTheMailProgramAndReleasingItKeepsThePath)
{
    AppDriver app;
    const std::string oldPath = app.folder() + "\\old.exe", mailer = mailerCopy(app);
    ASSERT_TRUE(writeSettings(app.iniPath(), makeSettings(1)));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, recordFor("a", oldPath)));
    ASSERT_TRUE(app.start());
    HWND dialog = openDialog(app, 0);
    EXPECT_EQ(oldPath, app.itemText(dialog, IDC_MAILER_PATH));
    EXPECT_FALSE(app.isChecked(dialog, IDC_LAUNCH_MAILER));

    app.click(dialog, IDC_LAUNCH_MAILER);
    EXPECT_EQ("old.exe", answerFileDialog(app, nullptr)) << "the path shown is offered";
    EXPECT_FALSE(app.isChecked(dialog, IDC_LAUNCH_MAILER)) << "cancelled: up again";
    EXPECT_EQ(oldPath, app.itemText(dialog, IDC_MAILER_PATH));

    app.click(dialog, IDC_LAUNCH_MAILER);
    answerFileDialog(app, mailer.c_str());
    EXPECT_TRUE(app.isChecked(dialog, IDC_LAUNCH_MAILER));
    EXPECT_EQ(mailer, app.itemText(dialog, IDC_MAILER_PATH));

    app.click(dialog, IDC_LAUNCH_MAILER);
    ASSERT_TRUE(app.sync());
    EXPECT_EQ(nullptr, app.waitForWindow(kFileDialogCaption, 300)) << "releasing opens nothing";
    EXPECT_FALSE(app.isChecked(dialog, IDC_LAUNCH_MAILER));
    EXPECT_EQ(mailer, app.itemText(dialog, IDC_MAILER_PATH));
    expectRegistered(app, dialog);
    EXPECT_EQ(0, stored(app, 1).launchMailer);
    EXPECT_EQ(mailer, stored(app, 1).mailerPath);
}

TEST(AccountDialog, EditShowsTheRecordAndStoresItUnderItsOwnNumber)
{
    AppDriver app;
    const std::string mailer = mailerCopy(app);
    writeAccounts(app.iniPath(), {"a", "b", "c"});
    ASSERT_TRUE(writeAccount(app.iniPath(), 2, recordFor("b", mailer, true)));
    ASSERT_TRUE(app.start());

    HWND dialog = openDialog(app, 1);
    EXPECT_EQ(fieldsFor("b"), dialogFields(app, dialog));
    EXPECT_EQ(mailer, app.itemText(dialog, IDC_MAILER_PATH));
    EXPECT_TRUE(app.isChecked(dialog, IDC_LAUNCH_MAILER));
    EXPECT_EQ(nullptr, app.waitForWindow(kFileDialogCaption, 300)) << "setting the toggle opens nothing";

    app.setItemText(dialog, IDC_USER_NAME, "新しい名前");
    expectRegistered(app, dialog);
    EXPECT_EQ((Lines{"a", "新しい名前", "c"}), app.listLines());
    EXPECT_EQ(LB_ERR, SendDlgItemMessageA(app.window(), IDC_ACCOUNT_LIST, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(3, storedCount(app));
    EXPECT_STREQ("新しい名前", stored(app, 2).userName);
    EXPECT_EQ(1, stored(app, 2).launchMailer);
    EXPECT_EQ(mailer, stored(app, 2).mailerPath);
    EXPECT_EQ(fieldsFor("c"), fieldsOf(stored(app, 3)));

    // A double click opens the line's account just as "編集" does.
    app.selectLine(2);
    app.post(WM_COMMAND, MAKEWPARAM(IDC_ACCOUNT_LIST, LBN_DBLCLK), 0);
    dialog = app.waitForWindow(kDialogCaption);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(fieldsFor("c"), dialogFields(app, dialog));
    cancelDialog(app, dialog);
}

TEST(AccountDialog, CancelEscAndCloseStoreNothingAndEndEditMode)
{
    AppDriver app;
    writeAccounts(app.iniPath(), {"a", "b"});
    ASSERT_TRUE(app.start());
    const std::string before = fileText(app.iniPath());
    // Each way out as a message to the dialog, or to one of its controls.
    const struct { const char* way; UINT message; WPARAM wParam; int control; } ways[] = {
        {"キャンセル", WM_COMMAND, IDCANCEL, 0},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, IDC_SERVER},
        {"close button", WM_CLOSE, 0, 0},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        HWND dialog = openDialog(app, 1);
        fillDialog(app, dialog, fieldsFor("changed"));
        PostMessageA(way.control ? GetDlgItem(dialog, way.control) : dialog, way.message, way.wParam, 0);
        EXPECT_TRUE(app.windowGone(dialog));
        EXPECT_EQ(before, fileText(app.iniPath()));
        EXPECT_EQ((Lines{"a", "b"}), app.listLines());

        dialog = openDialog(app);
        EXPECT_EQ(Fields(), dialogFields(app, dialog)) << "a new account starts empty";
        cancelDialog(app, dialog);
    }
}

TEST(AccountList, DeletionMovesLaterRecordsDownAndSurvivesARestart)
{
    const struct { Lines before; int line; Lines after; } cases[] = {
        {{"a", "b", "c"}, 0, {"b", "c"}},
        {{"a", "b", "c"}, 2, {"a", "b"}},
        {{"a"}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        AppDriver app;
        writeAccounts(app.iniPath(), c.before);
        ASSERT_TRUE(app.start());
        const std::string before = fileText(app.iniPath());
        const int formerLast = static_cast<int>(c.before.size());

        app.selectLine(c.line);
        app.command(IDC_DELETE_ACCOUNT);
        SeenBox ask = app.answerBox(IDNO);
        expectBox(ask, "DELETE DATA??", "選択されているデータを消去しますか?", app.window(), BoxIcon::question);
        EXPECT_TRUE(ask.hasYesNo);
        EXPECT_EQ(IDNO, ask.defaultButton);
        ASSERT_TRUE(app.sync());
        EXPECT_TRUE(app.noBoxWithin(200));
        EXPECT_EQ(c.before, app.listLines()) << "No changes nothing";
        EXPECT_EQ(before, fileText(app.iniPath()));

        app.command(IDC_DELETE_ACCOUNT);
        EXPECT_EQ("DELETE DATA??", app.answerBox(IDYES).caption);
        expectBox(app.answerBox(IDOK), "DELETE DATA!!", "削除しました！！", app.window(), BoxIcon::warning);
        ASSERT_TRUE(app.sync());
        EXPECT_EQ(c.after, app.listLines());
        EXPECT_EQ(formerLast - 1, storedCount(app));
        for (int n = 1; n < formerLast; ++n)
            EXPECT_EQ(fieldsFor(c.after[n - 1]), fieldsOf(stored(app, n)));
        EXPECT_EQ(fieldsFor(c.before.back()), fieldsOf(stored(app, formerLast))) << "no section is removed";

        ASSERT_TRUE(app.restart());
        EXPECT_EQ(c.after, app.listLines());
        registerAndConfirm(app, fieldsFor("new"));
        EXPECT_EQ(fieldsFor("new"), fieldsOf(stored(app, formerLast))) << "takes the former last number";
        EXPECT_EQ(formerLast, storedCount(app));
    }
}

TEST(AccountList, AnUnreadableRecordKeepsItsPlaceAndASixteenthAccountIsRefused)
{
    AppDriver app;
    Lines names;
    for (int n = 1; n <= 15; ++n)
        names.push_back("user" + std::to_string(n));
    writeAccounts(app.iniPath(), names);
    ASSERT_TRUE(WritePrivateProfileStringA("USERDATA-NO2", "DATA", "00", app.iniPath().c_str()));
    ASSERT_TRUE(app.start());
    names[1] = "";
    EXPECT_EQ(names, app.listLines());
    HWND dialog = openDialog(app, 2);
    EXPECT_EQ(fieldsFor("user3"), dialogFields(app, dialog));
    cancelDialog(app, dialog);

    const std::string before = fileText(app.iniPath());
    dialog = openDialog(app);
    fillDialog(app, dialog, fieldsFor("user16"));
    expectBox(pressRegister(app, dialog), "ACCOUNT LIMIT!!",
              "登録できるアカウントは15件までです。\n不要なアカウントを削除してから登録してください。", dialog, BoxIcon::error);
    ASSERT_TRUE(app.sync());
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(before, fileText(app.iniPath()));
    EXPECT_EQ(names, app.listLines());
}
