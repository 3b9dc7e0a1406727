// Steps of the account dialog of the real program, driven from outside.
#pragma once
#include "AppDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

inline const char kDialogCaption[] = "ユーザデータ登録画面";

// User name, account, password and server, in the dialog's order.
using Fields = std::array<std::string, 4>;
inline const int kFieldIds[4] = {IDC_USER_NAME, IDC_ACCOUNT_NAME, IDC_PASSWORD, IDC_SERVER};


inline void expectBox(const SeenBox& seen, const char* caption, const char* text, HWND owner, BoxIcon icon)
{
    EXPECT_EQ(caption, seen.caption);
    EXPECT_EQ(text, seen.text) << caption;
    EXPECT_EQ(owner, seen.owner) << caption;
    EXPECT_EQ(icon, seen.icon) << caption;
}

// "新規登録", or with a line "編集" of that line.
inline HWND openDialog(AppDriver& app, int line = -1)
{
    if (line >= 0)
        app.selectLine(line);
    app.command(line >= 0 ? IDC_EDIT_ACCOUNT : IDC_NEW_ACCOUNT);
    HWND dialog = app.waitForWindow(kDialogCaption);
    EXPECT_NE(nullptr, dialog) << "no account dialog";
    return dialog;
}

inline void fillDialog(AppDriver& app, HWND dialog, const Fields& fields)
{
    for (int i = 0; i < 4; ++i)
        app.setItemText(dialog, kFieldIds[i], fields[i]);
}

inline Fields dialogFields(AppDriver& app, HWND dialog)
{
    return {app.itemText(dialog, kFieldIds[0]), app.itemText(dialog, kFieldIds[1]), app.itemText(dialog, kFieldIds[2]),
            app.itemText(dialog, kFieldIds[3])};
}

inline void cancelDialog(AppDriver& app, HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(app.windowGone(dialog));
}

// Presses "登録" and answers the box it brings.
inline SeenBox pressRegister(AppDriver& app, HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, IDC_REGISTER, 0);
    return app.answerBox(IDOK);
}
