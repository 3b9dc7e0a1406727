// A day with the real program and a real POP3 server (Dovecot): first start,
// an account added through the dialog, LAN mode, mail reported and the mail
// program started, new mail reported again and an unchanged mailbox not,
// then exit and a restart that finds everything as it was.
#include "AppDriver.h"
#include "TestSettings.h"
#include "app/TrayApp.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace testsettings;

namespace {

const int kFileNameCombo = 0x47C;   // the file dialog's name box

// Delivers one message to the "daily" mailbox the way a mail server does:
// written in tmp, then moved into new.
void deliverMail(int number)
{
    std::string name = "day-" + std::to_string(number);
    std::string staged = std::string(DOVECOT_STATE) + "\\mail\\daily\\Maildir\\tmp\\" + name;
    FILE* file = fopen(staged.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fprintf(file, "From: a friend <friend@example.org>\r\nTo: daily@example.org\r\n"
                  "Subject: message %d\r\n\r\nHello.\r\n", number);
    fclose(file);
    std::string delivered = std::string(DOVECOT_STATE) + "\\mail\\daily\\Maildir\\new\\" + name;
    ASSERT_TRUE(MoveFileA(staged.c_str(), delivered.c_str()));
}

// The file appears before the mail program has written its line: wait for
// the line's end.
bool waitForLine(const std::string& path)
{
    return waitUntil(10000, [&] { return fileText(path).find("\r\n") != std::string::npos; });
}

}  // namespace

TEST(DayInTheLife, FromFirstStartToRestart)
{
    AppDriver app;
    const std::string mailer = app.folder() + "\\mailer.exe";
    ASSERT_TRUE(CopyFileA(FAKE_MAILER_PATH, mailer.c_str(), FALSE));

    // First start: nothing stored, the settings window shown from the tray.
    ASSERT_TRUE(app.start());
    app.command(IDM_SHOW_WINDOW);
    ASSERT_TRUE(app.sync());
    EXPECT_TRUE(app.listLines().empty());

    // An account, with the mail program chosen in the file dialog.
    app.command(IDC_NEW_ACCOUNT);
    HWND dialog = app.waitForWindow("ユーザデータ登録画面");
    ASSERT_NE(nullptr, dialog);
    app.setItemText(dialog, IDC_USER_NAME, "毎日");
    app.setItemText(dialog, IDC_ACCOUNT_NAME, "daily");
    app.setItemText(dialog, IDC_PASSWORD, "secret");
    app.setItemText(dialog, IDC_SERVER, "127.0.0.1");
    app.click(dialog, IDC_LAUNCH_MAILER);
    HWND files = app.waitForWindow("メールソフトの選択");
    ASSERT_NE(nullptr, files);
    app.setItemText(files, kFileNameCombo, mailer);
    PostMessageA(files, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(app.windowGone(files));
    EXPECT_EQ(mailer, app.itemText(dialog, IDC_MAILER_PATH));
    PostMessageA(dialog, WM_COMMAND, IDC_REGISTER, 0);
    EXPECT_EQ("INPUT DATA!!", app.answerBox(IDOK).caption);
    ASSERT_TRUE(app.windowGone(dialog));
    EXPECT_EQ(std::vector<std::string>{"毎日"}, app.listLines());

    // LAN mode, stored when the window closes.
    app.click(app.window(), IDC_LAN_MODE);
    app.post(WM_CLOSE);
    ASSERT_TRUE(app.sync());
    EXPECT_FALSE(IsWindowVisible(app.window()));
    SettingsRecord saved = {};
    ASSERT_TRUE(readSettings(app.iniPath(), saved));
    EXPECT_EQ(1, saved.lanMode);
    EXPECT_EQ(1, saved.accountCount);

    // Two messages arrive; a round reports them and Yes starts the mail program.
    deliverMail(1);
    deliverMail(2);
    auto click = app.sendInBackground(WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
    SeenBox report = app.answerBox(IDYES);
    EXPECT_EQ("メールの受信報告", report.caption);
    EXPECT_EQ("毎日 に 2通メールが届いています。\nメールソフトを起動しますか？", report.text);
    EXPECT_TRUE(click->wait(15000));
    ASSERT_TRUE(waitForLine(app.folder() + "\\mailer-ran.txt"));
    EXPECT_EQ(0u, fileText(app.folder() + "\\mailer-ran.txt").find(mailer));

    // A third message is news; answering No starts nothing.
    deliverMail(3);
    click = app.sendInBackground(WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
    report = app.answerBox(IDNO);
    EXPECT_EQ("毎日 に 3通メールが届いています。\nメールソフトを起動しますか？", report.text);
    EXPECT_TRUE(click->wait(15000));

    // The same mailbox again is not.
    click = app.sendInBackground(WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
    EXPECT_TRUE(click->wait(15000));
    EXPECT_TRUE(app.noBoxWithin(2000)) << "an unchanged mailbox shows no box";
    const std::string starts = fileText(app.folder() + "\\mailer-ran.txt");
    EXPECT_EQ(1, std::count(starts.begin(), starts.end(), '\n')) << "the mail program started once";

    // Exit from the tray, and a restart finds the list and the options.
    const std::string iniBefore = fileText(app.iniPath());
    app.command(IDM_EXIT);
    EXPECT_EQ(0u, app.waitForExit(10000));
    ASSERT_TRUE(app.start());
    EXPECT_EQ(std::vector<std::string>{"毎日"}, app.listLines());
    EXPECT_TRUE(app.isChecked(app.window(), IDC_LAN_MODE));
    // LAN mode checks at start-up: the three messages are news to a new run.
    EXPECT_EQ("毎日 に 3通メールが届いています。\nメールソフトを起動しますか？", app.answerBox(IDNO).text);
    EXPECT_EQ(iniBefore, fileText(app.iniPath()));
}
