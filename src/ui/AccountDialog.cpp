// The account dialog: one account's fields, opened modally for a new account
// or for the selected one (the list's editMode 1).
#include "ui/AccountDialog.h"
#include "app/MailCheckerApp.h"
#include "base/HeapArray.h"
#include "checking/pop3/ServerAddress.h"
#include "config/FieldText.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"
#include "ui/MainWindowSettings.h"

#include <cderr.h>
#include <commdlg.h>
#include <cstring>

namespace {

int selectedAccountNumber()
{
    return static_cast<int>(SendDlgItemMessageW(theApp.mainWindow, IDC_ACCOUNT_LIST,
                                                LB_GETCURSEL, 0, 0)) + 1;
}

bool isToggleDown(HWND dialog)
{
    return SendDlgItemMessageW(dialog, IDC_LAUNCH_MAILER, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void showField(HWND dialog, int id, const char* field)
{
    WCHAR text[kLongTextSize];
    fieldToWide(field, text);
    SetDlgItemTextW(dialog, id, text);
}

// What the user typed into one edit, turned into a field of the record.
struct TypedField {
    int            id;
    const wchar_t* name;      // the field's label, for the boxes
    char*          field;
    unsigned       size;      // bytes, the terminator included
    bool           mayBeCut;  // only shown: cut to fit, as it always was
    bool           trimmed;   // blanks around it are left out
};

bool isBlank(WCHAR c)
{
    return c == L' ' || c == L'\t' || c == L'\x3000';   // the last: the full-width blank
}

// Blanks a paste brings along around a name.
void trimBlanks(WCHAR* text)
{
    WCHAR* start = text;
    while (isBlank(*start))
        ++start;
    size_t length = static_cast<size_t>(lstrlenW(start));
    while (length > 0 && isBlank(start[length - 1]))
        --length;
    memmove(text, start, length * sizeof *text);
    text[length] = L'\0';
}

// False, after a box owned by the dialog that names the field, when the
// text cannot be stored as typed: nothing is ever stored as "?" or cut
// without a word.
bool readTypedField(HWND dialog, const TypedField& typed)
{
    HWND edit = GetDlgItem(dialog, typed.id);
    HeapArray<WCHAR> text;
    if (!text.resize(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1))
        return false;
    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    if (typed.trimmed)
        trimBlanks(text.data());
    switch (wideToField(text.data(), typed.field, typed.size)) {
    case FieldFit::whole:
        return true;
    case FieldFit::cut:
        if (typed.mayBeCut)
            return true;
        showFormattedBox(dialog, Box::fieldTooLong, typed.name, static_cast<int>(typed.size - 1),
                         static_cast<int>((typed.size - 1) / 2));
        return false;
    case FieldFit::notShiftJis:
        break;
    }
    showFormattedBox(dialog, Box::fieldNotShiftJis, typed.name);
    return false;
}

void initAccountDialog(HWND dialog)
{
    if (theApp.accountList.editMode() == 0)
        return;
    SettingsStore& store = theApp.store;
    store.readAccountRecord(selectedAccountNumber());
    const AccountRecord& record = store.workRecord();
    showField(dialog, IDC_USER_NAME, record.userName);
    // The whole login and password, which may be longer than the record's
    // own fields.
    showField(dialog, IDC_ACCOUNT_NAME, store.workAccount());
    showField(dialog, IDC_PASSWORD, store.workPassword());
    showField(dialog, IDC_SERVER, record.server);
    showField(dialog, IDC_MAILER_PATH, record.mailerPath);
    // BM_SETCHECK sends no command, so the file dialog does not open here.
    if (record.launchMailer)
        SendDlgItemMessageW(dialog, IDC_LAUNCH_MAILER, BM_SETCHECK, BST_CHECKED, 0);
}

void chooseMailProgram(HWND dialog)
{
    static const WCHAR filter[] = L"実行ファイル(*.exe)\0*.exe\0";

    // It offers the path the dialog shows: a round started from the tray
    // while the dialog is open reads other records meanwhile.
    WCHAR chosenPath[MAX_PATH];
    GetDlgItemTextW(dialog, IDC_MAILER_PATH, chosenPath, MAX_PATH);

    OPENFILENAMEW request;
    memset(&request, 0, sizeof request);
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter;
    request.lpstrFile = chosenPath;
    request.nMaxFile = MAX_PATH;
    request.lpstrTitle = L"メールソフトの選択";
    request.Flags = OFN_HIDEREADONLY | OFN_CREATEPROMPT;

    BOOL chosen = GetOpenFileNameW(&request);
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        // A stored path the dialog cannot take as a start would keep it from
        // opening at all; start from an empty name instead.
        chosenPath[0] = L'\0';
        chosen = GetOpenFileNameW(&request);
    }
    // Whether the path can be stored is told at "登録", with the other fields.
    if (chosen)
        SetWindowTextW(GetDlgItem(dialog, IDC_MAILER_PATH), chosenPath);
    else
        SendDlgItemMessageW(dialog, IDC_LAUNCH_MAILER, BM_SETCHECK, BST_UNCHECKED, 0);
}

}  // namespace

bool registerAccount(HWND dialog)
{
    // A new account's number comes from the count the file holds.
    if (!readSettingsFile(dialog))
        return false;
    SettingsStore& store = theApp.store;
    const bool editing = theApp.accountList.editMode() == 1;
    // lastStatus has no slot beyond this many accounts.
    if (!editing && store.settings().accountCount >= kMaxAccounts) {
        showBox(dialog, Box::tooManyAccounts);
        return false;
    }
    const int accountNumber = editing ? selectedAccountNumber() : store.settings().accountCount + 1;

    // The dialog's own copy of what was typed: a round started from the
    // tray while it is open reads other records into the store meanwhile.
    // The login and the password are taken exactly as typed.
    AccountRecord record = {};
    char account[kLongTextSize] = "";
    char password[kLongTextSize] = "";
    const TypedField fields[] = {
        {IDC_USER_NAME, Box::userNameField, record.userName, sizeof record.userName, true, false},
        {IDC_ACCOUNT_NAME, Box::accountField, account, sizeof account, false, false},
        {IDC_PASSWORD, Box::passwordField, password, sizeof password, false, false},
        {IDC_SERVER, Box::serverField, record.server, sizeof record.server, false, true},
        {IDC_MAILER_PATH, Box::mailerField, record.mailerPath, sizeof record.mailerPath, false, false},
    };
    for (const TypedField& typed : fields) {
        if (!readTypedField(dialog, typed))
            return false;
    }
    if (!record.userName[0] || !account[0] || !password[0] || !record.server[0]) {
        showBox(dialog, Box::inputMissing);
        return false;
    }
    ServerAddress server;
    if (!parseServerAddress(record.server, server)) {
        showBox(dialog, Box::serverFieldInvalid);
        return false;
    }
    record.launchMailer = isToggleDown(dialog) ? 1 : 0;

    // The record and the count that lists it are stored together or not at
    // all; on failure the dialog stays open with the input.
    bool stored = editing ? store.replaceAccount(accountNumber, record, account, password)
                          : store.addAccount(record, account, password);
    SecureZeroMemory(password, sizeof password);
    if (!stored) {
        showBox(dialog, Box::registerNotSaved);
        return false;
    }
    // From what was stored: a read could be refused by another program.
    theApp.accountList.showLine(accountNumber, record.userName);
    showBox(dialog, Box::registered);
    return true;
}

INT_PTR CALLBACK accountDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    case WM_INITDIALOG:
        initAccountDialog(dialog);
        break;
    case WM_COMMAND:
        // Every way out (キャンセル, Esc, the close button, a registration)
        // passes through IDCANCEL.
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            theApp.accountList.endEdit();
            EndDialog(dialog, theApp.accountList.accountDialogResult());
            break;
        case IDC_LAUNCH_MAILER:
            if (isToggleDown(dialog))
                chooseMailProgram(dialog);
            break;
        case IDC_REGISTER:
            if (registerAccount(dialog))
                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            break;
        }
        break;
    }
    return 0;
}
