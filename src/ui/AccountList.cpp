// The account list's lines and its commands: "新規登録", "編集", "削除".
#include "ui/AccountList.h"
#include "app/MailCheckerApp.h"
#include "config/FieldText.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"

namespace {

LRESULT sendToList(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST, message, wParam, lParam);
}

int selectedLine()
{
    return static_cast<int>(sendToList(LB_GETCURSEL, 0, 0));
}

}  // namespace

void AccountList::openAccountDialog()
{
    accountDialogResult_ = static_cast<LONG>(DialogBoxParamW(
        theApp.instance, MAKEINTRESOURCEW(IDD_ACCOUNT), theApp.mainWindow, accountDialogProc, 0));
    // The dialog ends edit mode itself; if it could not even open, do it here
    // so that the next "新規登録" is not taken for an edit.
    if (accountDialogResult_ == -1)
        editMode_ = 0;
}

void AccountList::refresh(const ProfileText& text)
{
    SettingsStore& store = theApp.store;
    sendToList(LB_RESETCONTENT, 0, 0);
    for (int n = 1; n <= store.settings().accountCount; ++n) {
        // An unreadable record comes back empty and shows as an empty line,
        // so the lines after it keep their positions.
        store.readAccountRecord(text, n);
        showLine(n, store.workRecord().userName);
    }
}

void AccountList::showLine(int accountNumber, const char* userName)
{
    WCHAR line[sizeof(AccountRecord::userName)];
    fieldToWide(userName, line);
    const int position = accountNumber - 1;
    if (position < sendToList(LB_GETCOUNT, 0, 0))
        sendToList(LB_DELETESTRING, position, 0);
    sendToList(LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(line));
}

void AccountList::newAccount()
{
    openAccountDialog();
}

void AccountList::editAccount()
{
    if (selectedLine() == LB_ERR) {
        showBox(theApp.mainWindow, Box::noSelection);
        return;
    }
    editMode_ = 1;
    openAccountDialog();
}

void AccountList::deleteAccount(int selection, bool confirmed)
{
    HWND window = theApp.mainWindow;
    if (selection == LB_ERR) {
        showBox(window, Box::noSelection);
        return;
    }
    if (!confirmed && showBox(window, Box::confirmDelete) != IDYES)
        return;
    // While the box waited, a click on the icon or the timer may have started
    // a round: renumbering now would move records and status slots under it.
    if (theApp.round.checking()) {
        theApp.round.deferDeletion(selection);
        return;
    }

    const int32_t formerCount = theApp.store.settings().accountCount;
    if (!theApp.store.deleteAccount(selection + 1)) {
        showBox(window, Box::deleteNotSaved);
        return;
    }
    sendToList(LB_DELETESTRING, selection, 0);
    theApp.report.moveSlotsDown(selection + 1, formerCount);
    showBox(window, Box::deleted);
}
