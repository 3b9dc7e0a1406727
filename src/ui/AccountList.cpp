// The account list of the settings window. Line i (from 0) is record i + 1;
// the position alone links a line to its record.
#include "app/MailCheckerApp.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"

namespace {

LRESULT sendToList(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST, message, wParam, lParam);
}

int selectedLine()
{
    return static_cast<int>(sendToList(LB_GETCURSEL, 0, 0));
}

void openAccountDialog()
{
    theApp.accountDialogResult = static_cast<LONG>(DialogBoxParamA(
        theApp.instance, MAKEINTRESOURCEA(IDD_ACCOUNT), theApp.mainWindow, accountDialogProc, 0));
    // The dialog ends edit mode itself; if it could not even open, do it here
    // so that the next "新規登録" is not taken for an edit.
    if (theApp.accountDialogResult == -1)
        theApp.editMode = 0;
}

}  // namespace

void MailCheckerApp::refreshAccountList()
{
    sendToList(LB_RESETCONTENT, 0, 0);
    for (int n = 1; n <= settings.accountCount; ++n) {
        // An unreadable record comes back empty and shows as an empty line,
        // so the lines after it keep their positions.
        readAccountRecord(n);
        sendToList(LB_INSERTSTRING, n - 1, reinterpret_cast<LPARAM>(workRecord.userName));
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

    sendToList(LB_DELETESTRING, selection, 0);
    settings.accountCount -= 1;
    if (!writeSettingsRecord()) {
        // Nothing in the file has changed: show it as it is.
        settings.accountCount += 1;
        refreshAccountList();
        showBox(mainWindow, Box::deleteNotSaved);
        return;
    }
    // Move every later record down one number, lowest first, so each is read
    // before its old number is overwritten.
    for (int k = selection + 1; k <= settings.accountCount; ++k) {
        readAccountRecord(k + 1);
        if (!writeAccountRecord(k)) {
            refreshAccountList();
            showBox(mainWindow, Box::deleteNotSaved);
            return;
        }
    }
    showBox(mainWindow, Box::deleted);
}
