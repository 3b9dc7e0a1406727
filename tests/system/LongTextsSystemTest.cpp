// Logins and passwords as long as providers give them: typed in the account
// dialog, stored, and sent whole; what cannot be kept is refused aloud.
#include "AccountDialogSteps.h"
#include "FakePop3Server.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testsettings;

namespace {

Fields longAccount(const std::string& account, const std::string& password, const std::string& server)
{
    return {"長いアカウント", account, password, server};
}

}  // namespace

TEST(LongTexts, ALongLoginAndPasswordAreSentWholeAndShownWholeWhenEdited)
{
    const std::string login = std::string(30, 't') + "@gmail.com";   // 40 bytes
    std::string password;
    for (int i = 0; i < 64; ++i)
        password += static_cast<char>('A' + i % 26);
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 4 400\r\n"));
    AppDriver app;
    SettingsRecord settings = makeSettings(0);
    settings.lanMode = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    ASSERT_TRUE(app.start());

    HWND dialog = openDialog(app);
    fillDialog(app, dialog, longAccount(login, password, server.address()));
    EXPECT_EQ("登録しました！！", pressRegister(app, dialog).text);
    ASSERT_TRUE(app.windowGone(dialog));
    printf("long texts as written:\n%s\n", fileText(app.iniPath()).c_str());

    app.command(IDM_CHECK_NOW);
    EXPECT_EQ("長いアカウント に 4通メールが届いています。", app.answerBox(IDOK).text);
    EXPECT_TRUE(server.waitForClientClose(10000));
    EXPECT_EQ("USER " + login + "\r\nPASS " + password + "\r\nSTAT\r\nQUIT\r\n", server.received());

    dialog = openDialog(app, 0);
    EXPECT_EQ(login, app.itemText(dialog, IDC_ACCOUNT_NAME)) << "shown whole";
    cancelDialog(app, dialog);
}

TEST(LongTexts, WhatDoesNotFitIsRefusedNamingTheFieldAndItsLimit)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    HWND dialog = openDialog(app);
    const struct {
        int field;
        std::string text;
        const char* box;
    } cases[] = {
        {IDC_ACCOUNT_NAME, std::string(256, 'a'), "「アカウント名」が長すぎます。\n半角255文字（全角127文字）までで入力してください。"},
        {IDC_SERVER, std::string(60, 's') + ".test", "「サーバアドレス」が長すぎます。\n半角63文字（全角31文字）までで入力してください。"},
        {IDC_MAILER_PATH, "C:\\" + std::string(257, 'm'), "「メールソフト」が長すぎます。\n半角259文字（全角129文字）までで入力してください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        fillDialog(app, dialog, longAccount("a", "b", "127.0.0.9"));
        app.setItemText(dialog, IDC_MAILER_PATH, std::string());
        app.setItemText(dialog, c.field, c.text);
        SeenBox seen = pressRegister(app, dialog);
        EXPECT_EQ("LENGTH ERROR!!", seen.caption);
        EXPECT_EQ(c.box, seen.text);
        EXPECT_EQ(dialog, seen.owner);
        ASSERT_TRUE(app.sync());
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(fileExists(app.iniPath())) << "nothing is cut without a word";
    }
    app.setItemText(dialog, IDC_MAILER_PATH, std::string());
    // 127 double-byte characters fit a password; one more does not.
    std::string kanji;
    for (int i = 0; i < 128; ++i)
        kanji += "漢";
    fillDialog(app, dialog, longAccount("a", kanji, "127.0.0.9"));
    EXPECT_EQ("「パスワード」が長すぎます。\n半角255文字（全角127文字）までで入力してください。",
              pressRegister(app, dialog).text);
    fillDialog(app, dialog, longAccount("a", kanji.substr(2), "127.0.0.9"));
    EXPECT_EQ("登録しました！！", pressRegister(app, dialog).text);
}
