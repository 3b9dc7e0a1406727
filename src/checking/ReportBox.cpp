// The new-mail report box and the start of the mail program.
#include "checking/ReportBox.h"
#include "resources/ShowBox.h"

#include <shellapi.h>

bool reportNewMail(const ProbedAccount& account, int count, bool onTop, HWND owner)
{
    UINT style = onTop ? MB_TOPMOST : MB_ICONINFORMATION;
    if (!account.launchMailer) {
        showFormattedBox(NULL, BoxText{Box::reportText, Box::reportCaption, style}, account.userName, count);
        return false;
    }
    // One icon only: information and question together make a style that
    // shows none at all.
    UINT question = (style & ~MB_ICONMASK) | MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    if (showFormattedBox(NULL, BoxText{Box::reportAndLaunchText, Box::reportCaption, question},
                         account.userName, count) != IDYES)
        return false;
    HINSTANCE started = ShellExecuteW(owner, L"open", account.mailerPath, NULL, NULL, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        showBox(NULL, Box::launchFailed);
    return true;
}
