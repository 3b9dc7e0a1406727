// The account list of the settings window. Line i (from 0) is record i + 1;
// the position alone links a line to its record.
#include "app/MailCheckerApp.h"
#include "config/FieldText.h"
#include "config/SettingsFileChange.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/AccountDialog.h"

#include <cstring>

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

// Each account keeps its last STAT reply when the records after a deleted
// one move down; otherwise the next account would inherit the deleted one's
// and miss its own news.
void moveStatusSlotsDown(int deletedNumber, int formerCount)
{
    const int lastSlot = formerCount < kStatusSlots - 1 ? formerCount : kStatusSlots - 1;
    if (deletedNumber < 1 || deletedNumber > lastSlot)
        return;
    for (int n = deletedNumber; n < lastSlot; ++n)
        memcpy(theApp.lastStatus[n], theApp.lastStatus[n + 1], sizeof theApp.lastStatus[n]);
    memset(theApp.lastStatus[lastSlot], 0, sizeof theApp.lastStatus[lastSlot]);
}

}  // namespace

void MailCheckerApp::refreshAccountList(const ProfileText& text)
{
    sendToList(LB_RESETCONTENT, 0, 0);
    for (int n = 1; n <= settings.accountCount; ++n) {
        // An unreadable record comes back empty and shows as an empty line,
        // so the lines after it keep their positions.
        readAccountRecord(text, n);
        listAccount(n);
    }
}

void MailCheckerApp::listAccount(int accountNumber)
{
    WCHAR line[sizeof workRecord.userName];
    fieldToWide(workRecord.userName, line);
    const int position = accountNumber - 1;
    if (position < sendToList(LB_GETCOUNT, 0, 0))
        sendToList(LB_DELETESTRING, position, 0);
    sendToList(LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(line));
}

void MailCheckerApp::newAccount()
{
    // The new account's number follows the accounts the file holds.
    if (readSettingsFile(mainWindow))
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

void MailCheckerApp::deleteAccount(int selection, bool confirmed)
{
    if (selection == LB_ERR) {
        showBox(mainWindow, Box::noSelection);
        return;
    }
    if (!confirmed && showBox(mainWindow, Box::confirmDelete) != IDYES)
        return;
    // While the box waited, a click on the icon or the timer may have started
    // a round: renumbering now would move records and status slots under it.
    if (checking) {
        confirmedDeletion = selection + 1;
        return;
    }

    const int32_t formerCount = settings.accountCount;
    SettingsRecord stored = settings;
    stored.accountCount = formerCount - 1;
    SettingsFileChange change;
    change.putSettings(stored);
    // Move every later record down one number. They are read from the bytes
    // the copy was made of, never from the file again: a read that another
    // program refuses would put an empty record in their place.
    for (int k = selection + 1; k <= stored.accountCount; ++k) {
        readAccountRecord(change.fileText(), k + 1);
        change.putAccount(k, workRecord, workAccount, workPassword);
    }
    // The former last number now holds a copy of a moved record, or the
    // deleted account itself with its password: neither may stay behind,
    // nor come back when the count has to be recovered from the records.
    change.removeAccount(formerCount);
    if (!change.commit()) {
        showBox(mainWindow, Box::deleteNotSaved);
        return;
    }
    sendToList(LB_DELETESTRING, selection, 0);
    settings.accountCount = stored.accountCount;
    moveStatusSlotsDown(selection + 1, formerCount);
    showBox(mainWindow, Box::deleted);
}
