// Turning a STAT reply into a report: only changes of a mailbox are news,
// unless the user asked to hear of every non-empty mailbox on every round.
#include "app/MailCheckerApp.h"
#include "checking/pop3/StatReply.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"

#include <cstring>
#include <shellapi.h>

void MailCheckerApp::evaluateStatReply(char* reply, const CheckedAccount& account, BYTE& result)
{
    // Only accounts with a status slot are checked; the test keeps a bad
    // number from writing beyond them.
    bool hasSlot = account.number >= 1 && account.number < kStatusSlots;
    if (store.settings().reportUnread == 0 && hasSlot && isUnchangedStatus(lastStatus[account.number], reply))
        strcpy(reply, kUnchangedReply);

    StatCount found = countFromStatReply(reply);
    if (found.source == CountSource::none)
        return;
    reportNewMail(account, found.count, result);
    // The two kinds of reply read "report per user" from different places:
    // the box as shown, or the stored setting.
    bool perUser = found.source == CountSource::secondWord ? isChecked(IDC_REPORT_PER_USER)
                                                           : store.settings().reportPerUser != 0;
    if (!perUser)
        result = 1;
}

void MailCheckerApp::reportNewMail(const CheckedAccount& account, int count, BYTE& result)
{
    UINT style = isChecked(IDC_REPORT_ON_TOP) ? MB_TOPMOST : MB_ICONINFORMATION;
    setTrayIcon(IDI_MAIL_ARRIVED, Tip::mailArrived);

    if (!account.launchMailer) {
        showFormattedBox(NULL, BoxText{Box::reportText, Box::reportCaption, style}, account.userName, count);
        return;
    }
    // One icon only: information and question together make a style that
    // shows none at all.
    UINT question = (style & ~MB_ICONMASK) | MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    if (showFormattedBox(NULL, BoxText{Box::reportAndLaunchText, Box::reportCaption, question},
                         account.userName, count) != IDYES)
        return;
    HINSTANCE started = ShellExecuteW(mainWindow, L"open", account.mailerPath, NULL, NULL, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        showBox(NULL, Box::launchFailed);
    if (store.settings().endRoundOnLaunch)
        result = 1;
}
