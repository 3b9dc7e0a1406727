// The account list of the settings window and its commands, with the state
// they keep while the account dialog is open. Line i (from 0) is record
// i + 1; the position alone links a line to its record.
#pragma once
#include "config/ProfileText.h"

#include <windows.h>

class AccountList {
public:
    AccountList() : accountDialogResult_(0), editMode_(0) {}

    // 1 while the account dialog edits the selected record, 0 for a new one.
    BYTE editMode() const { return editMode_; }
    // What the account dialog last ended with, and ends with again.
    LONG accountDialogResult() const { return accountDialogResult_; }
    // Every way out of the account dialog passes here: the next "新規登録"
    // is no edit.
    void endEdit() { editMode_ = 0; }

    // The lines anew, one for each account, from the file's text as read.
    void refresh(const ProfileText& text);
    // Line accountNumber - 1 with this user name, in place of the line there
    // or added.
    void showLine(int accountNumber, const char* userName);
    // "新規登録", "編集" and "削除"; confirmed: the user has answered Yes
    // already, before a round made the deletion wait for its end.
    void newAccount();
    void editAccount();
    void deleteAccount(int selection, bool confirmed = false);

private:
    void openAccountDialog();

    LONG accountDialogResult_;
    BYTE editMode_;
};
