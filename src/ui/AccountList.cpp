// The account list of the settings window. Line i (from 0) is record i + 1;
// the position alone links a line to its record.
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

void openAccountDialog()
{
    theApp.accountDialogResult = static_cast<LONG>(DialogBoxParamW(
        theApp.instance, MAKEINTRESOURCEW(IDD_ACCOUNT), theApp.mainWindow, accountDialogProc, 0));
    // The dialog ends edit mode itself; if it could not even open, do it here
    // so that the next "新規登録" is not taken for an edit.
    if (theApp.accountDialogResult == -1)
        theApp.editMode = 0;
}

}  // namespace

void MailCheckerApp::refreshAccountList()
{
    sendToList(LB_RESETCONTENT, 0, 0);
    for (int n = 1; n <= store.settings().accountCount; ++n) {
        // An unreadable record comes back empty and shows as an empty line,
        // so the lines after it keep their positions.
        store.readAccountRecord(n);
        WCHAR line[sizeof(AccountRecord::userName)];
        fieldToWide(store.workRecord().userName, line);
        sendToList(LB_INSERTSTRING, n - 1, reinterpret_cast<LPARAM>(line));
    }
}

void MailCheckerApp::newAccount()
{
    openAccountDialog();
}

void MailCheckerApp::editAccount()
{
    if (selectedLine() == LB_ERR) {
        showBox(mainWindow, Box::noSelection);
        return;
    }
    editMode = 1;
    openAccountDialog();
}

void MailCheckerApp::deleteAccount(int selection)
{
    if (selection == LB_ERR) {
        showBox(mainWindow, Box::noSelection);
        return;
    }
    if (showBox(mainWindow, Box::confirmDelete) != IDYES)
        return;

    const int32_t formerCount = store.settings().accountCount;
    if (!store.deleteAccount(selection + 1)) {
        showBox(mainWindow, Box::deleteNotSaved);
        return;
    }
    sendToList(LB_DELETESTRING, selection, 0);
    report.moveSlotsDown(selection + 1, formerCount);
    showBox(mainWindow, Box::deleted);
}
