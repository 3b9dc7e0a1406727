// The account dialog: one account's fields, opened modally for a new account
// or for the selected one (editMode 1).
#include "ui/AccountDialog.h"
#include "app/MailCheckerApp.h"
#include "checking/ServerAddress.h"
#include "config/SettingsFileChange.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <commdlg.h>
#include <cstring>

namespace {

int selectedAccountNumber()
{
    return static_cast<int>(SendDlgItemMessageA(theApp.mainWindow, IDC_ACCOUNT_LIST,
                                                LB_GETCURSEL, 0, 0)) + 1;
}

bool isToggleDown(HWND dialog)
{
    return SendDlgItemMessageA(dialog, IDC_LAUNCH_MAILER, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Reads an edit into a record field, cut to the field's width.
template <unsigned N>
void readField(HWND dialog, int id, char (&field)[N])
{
    GetDlgItemTextA(dialog, id, field, N);
}

}  // namespace

INT_PTR CALLBACK accountDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    case WM_INITDIALOG:
        theApp.initAccountDialog(dialog);
        break;
    case WM_COMMAND:
        // Every way out (キャンセル, Esc, the close button, a registration)
        // passes through IDCANCEL.
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            theApp.editMode = 0;
            EndDialog(dialog, theApp.accountDialogResult);
            break;
        case IDC_LAUNCH_MAILER:
            if (isToggleDown(dialog))
                theApp.chooseMailProgram(dialog);
            break;
        case IDC_REGISTER:
            if (theApp.registerAccount(dialog))
                SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            break;
        }
        break;
    }
    return 0;
}

void MailCheckerApp::initAccountDialog(HWND dialog)
{
    if (editMode == 0)
        return;
    readAccountRecord(selectedAccountNumber());
    SetDlgItemTextA(dialog, IDC_USER_NAME, workRecord.userName);
    SetDlgItemTextA(dialog, IDC_ACCOUNT_NAME, workRecord.account);
    SetDlgItemTextA(dialog, IDC_PASSWORD, workRecord.password);
    SetDlgItemTextA(dialog, IDC_SERVER, workRecord.server);
    SetDlgItemTextA(dialog, IDC_MAILER_PATH, workRecord.mailerPath);
    // BM_SETCHECK sends no command, so the file dialog does not open here.
    if (workRecord.launchMailer)
        SendDlgItemMessageA(dialog, IDC_LAUNCH_MAILER, BM_SETCHECK, BST_CHECKED, 0);
}

void MailCheckerApp::chooseMailProgram(HWND dialog)
{
    static const char filter[] = "実行ファイル(*.exe)\0*.exe\0";

    // A buffer of the dialog's own: a round started from the tray while it
    // is open reloads workRecord, and would change the path the user picks.
    // It offers the path the dialog shows.
    char chosenPath[sizeof workRecord.mailerPath];
    readField(dialog, IDC_MAILER_PATH, chosenPath);

    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter;
    request.lpstrFile = chosenPath;
    request.nMaxFile = sizeof chosenPath;
    request.lpstrTitle = "メールソフトの選択";
    request.Flags = OFN_HIDEREADONLY | OFN_CREATEPROMPT;

    BOOL chosen = GetOpenFileNameA(&request);
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        // A stored path the dialog cannot take as a start would keep it from
        // opening at all; start from an empty name instead.
        chosenPath[0] = '\0';
        chosen = GetOpenFileNameA(&request);
    }
    if (chosen)
        SetWindowTextA(GetDlgItem(dialog, IDC_MAILER_PATH), chosenPath);
    else
        SendDlgItemMessageA(dialog, IDC_LAUNCH_MAILER, BM_SETCHECK, BST_UNCHECKED, 0);
}

bool MailCheckerApp::registerAccount(HWND dialog)
{
    int accountNumber;
    if (editMode == 1) {
        accountNumber = selectedAccountNumber();
        readAccountRecord(accountNumber);
    } else {
        // lastStatus has no slot beyond this many accounts.
        if (settings.accountCount >= kMaxAccounts) {
            showBox(dialog, Box::tooManyAccounts);
            return false;
        }
        accountNumber = settings.accountCount + 1;
    }

    readField(dialog, IDC_USER_NAME, workRecord.userName);
    readField(dialog, IDC_ACCOUNT_NAME, workRecord.account);
    readField(dialog, IDC_PASSWORD, workRecord.password);
    readField(dialog, IDC_SERVER, workRecord.server);
    readField(dialog, IDC_MAILER_PATH, workRecord.mailerPath);
    if (!workRecord.userName[0] || !workRecord.account[0] || !workRecord.password[0] ||
        !workRecord.server[0]) {
        showBox(dialog, Box::inputMissing);
        return false;
    }
    ServerAddress server;
    if (!parseServerAddress(workRecord.server, server)) {
        showBox(dialog, Box::serverFieldInvalid);
        return false;
    }
    workRecord.launchMailer = isToggleDown(dialog) ? 1 : 0;

    // The record and the count that lists it are stored together or not at
    // all; on failure the dialog stays open with the input.
    SettingsRecord stored = settings;
    if (editMode == 0)
        stored.accountCount = accountNumber;
    SettingsFileChange change;
    change.putAccount(accountNumber, workRecord, workRecord.account, workRecord.password);
    change.putSettings(stored);
    if (!change.commit()) {
        showBox(dialog, Box::registerNotSaved);
        return false;
    }
    settings.accountCount = stored.accountCount;
    refreshAccountList();
    showBox(dialog, Box::registered);
    return true;
}
