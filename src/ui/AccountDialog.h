// The account dialog (dialog 107), opened modally by the account list.
#pragma once
#include <windows.h>

INT_PTR CALLBACK accountDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "登録": the fields as typed stored as the selected account (in edit mode)
// or a new one. False, after a box owned by the dialog, when they are not.
bool registerAccount(HWND dialog);
