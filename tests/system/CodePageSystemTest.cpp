// What a person reads and types, on whatever code page Windows runs: these
// tests also run under code pages 1252 and 936 (the test names say which).
// Texts are read back with the W functions and compared as Shift_JIS.
#include "AccountDialogSteps.h"
#include "FakePop3Server.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsettings;

namespace {

using Texts = std::vector<std::string>;

BOOL CALLBACK collectText(HWND child, LPARAM param)
{
    std::string text = windowTextOf(child);
    if (!text.empty())
        reinterpret_cast<Texts*>(param)->push_back(text);
    return TRUE;
}

// The captions and labels of a window's controls, in the order they stand.
Texts controlTexts(HWND window)
{
    Texts texts;
    EnumChildWindows(window, collectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool fileExistsW(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(CodePage, TheSettingsWindowAndTheAccountDialogReadAsWritten)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    EXPECT_EQ("Quillora V2.10", windowTextOf(app.window()));
    Texts labels = controlTexts(app.window());
    labels.erase(std::remove(labels.begin(), labels.end(), "0"), labels.end());   // the interval
    EXPECT_EQ((Texts{"新規登録", "編集", "削除", "最前列に受信報告", "ユーザー毎に報告", "LAN環境での使用",
                     "未処理メールの報告", "巡回間隔：", "分", "ソフト起動での終了"}),
              labels);

    HWND dialog = openDialog(app);   // found by its caption
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((Texts{"登録", "キャンセル", "ユーザ名：", "アカウント名：", "パスワード：", "サーバアドレス：",
                     "SSLのサーバは後に「:995」を付けます", "メールソフト"}),
              controlTexts(dialog));
    cancelDialog(app, dialog);
}

// A character that Shift_JIS cannot hold would be stored as "?": such input
// is refused, naming the field, and nothing is written.
TEST(CodePage, InputWithoutAShiftJisFormIsRefusedNamingTheField)
{
    AppDriver app;
    ASSERT_TRUE(app.start());
    HWND dialog = openDialog(app);
    ASSERT_NE(nullptr, dialog);
    const struct {
        int field;
        const char* name;
    } cases[] = {{IDC_USER_NAME, "ユーザ名"}, {IDC_ACCOUNT_NAME, "アカウント名"}, {IDC_PASSWORD, "パスワード"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fillDialog(app, dialog, {"山田", "yamada", "pw", "127.0.0.9"});
        app.setItemText(dialog, c.field, std::wstring(L"Zo\u00EB"));
        expectBox(pressRegister(app, dialog), "CHARACTER ERROR!!",
                  (std::string("「") + c.name + "」に、設定ファイルに保存できない文字が含まれています。\n"
                                                "その文字を除いてから登録してください。").c_str(),
                  dialog, BoxIcon::error);
        ASSERT_TRUE(app.sync());
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(fileExists(app.iniPath())) << "nothing is stored as '?'";
    }
    app.setItemText(dialog, IDC_PASSWORD, std::string("pw"));
    EXPECT_EQ("登録しました！！", pressRegister(app, dialog).text);
    AccountRecord record = {};
    ASSERT_TRUE(readAccount(app.iniPath(), 1, record));
    EXPECT_STREQ("山田", record.userName) << "stored as its Shift_JIS bytes";
}

TEST(CodePage, AMailProgramInAFolderWithAJapaneseNameStartsFromTheReport)
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 3 300\r\n"));
    AppDriver app;
    const std::string folder = app.folder() + "\\メール";
    const std::string mailer = folder + "\\mailer.exe";
    ASSERT_TRUE(CreateDirectoryW(fromShiftJis(folder).c_str(), NULL));
    ASSERT_TRUE(CopyFileW(fromShiftJis(FAKE_MAILER_PATH).c_str(), fromShiftJis(mailer).c_str(), FALSE));
    SettingsRecord settings = makeSettings(1);
    settings.lanMode = 1;
    ASSERT_TRUE(writeSettings(app.iniPath(), settings));
    ASSERT_TRUE(writeAccount(app.iniPath(), 1, makeAccount("山田太郎", "a", "b", server.address(), mailer.c_str(), true)));
    ASSERT_TRUE(app.start());

    SeenBox report = app.answerBox(IDYES);
    EXPECT_EQ("山田太郎 に 3通メールが届いています。\nメールソフトを起動しますか？", report.text);
    const std::wstring ran = fromShiftJis(folder + "\\mailer-ran.txt");
    DWORD start = GetTickCount();
    while (!fileExistsW(ran) && GetTickCount() - start < 10000)
        Sleep(50);
    EXPECT_TRUE(fileExistsW(ran)) << "the mail program did not start";
    EXPECT_TRUE(app.noBoxWithin(500)) << "no OPEN ERROR!!";
}
