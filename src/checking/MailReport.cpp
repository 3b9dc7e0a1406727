// Turning a STAT reply into a report: only changes of a mailbox are news,
// unless the user asked to hear of every non-empty mailbox on every round.
#include "app/MailCheckerApp.h"
#include "checking/StatReply.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstring>
#include <shellapi.h>

void MailCheckerApp::evaluateStatReply(char* reply, int accountNumber, BYTE& result)
{
    // Accounts beyond the status slots (possible only in a hand-edited file)
    // are reported on every round, as if "未処理メールの報告" were checked.
    bool hasSlot = accountNumber >= 1 && accountNumber < kStatusSlots;
    if (settings.reportUnread == 0 && hasSlot && isUnchangedStatus(lastStatus[accountNumber], reply))
        strcpy(reply, kUnchangedReply);

    StatCount found = countFromStatReply(reply);
    if (found.source == CountSource::none)
        return;
    reportNewMail(found.count, result);
    // The two kinds of reply read "report per user" from different places:
    // the box as shown, or the stored setting.
    bool perUser = found.source == CountSource::secondWord ? isChecked(IDC_REPORT_PER_USER)
                                                           : settings.reportPerUser != 0;
    if (!perUser)
        result = 1;
}

void MailCheckerApp::reportNewMail(int count, BYTE& result)
{
    UINT style = isChecked(IDC_REPORT_ON_TOP) ? MB_TOPMOST : MB_ICONINFORMATION;
    setTrayIcon(IDI_MAIL_ARRIVED, Tip::mailArrived);

    char text[256];
    if (!workRecord.launchMailer) {
        snprintf(text, sizeof text, Box::reportText, workRecord.userName, count);
        showBox(NULL, BoxText{text, Box::reportCaption, style});
        return;
    }

    // The box lets other work in (the account dialog among it), and that work
    // reuses workRecord; keep the path this report is about.
    char mailerPath[sizeof workRecord.mailerPath];
    memcpy(mailerPath, workRecord.mailerPath, sizeof mailerPath);
    snprintf(text, sizeof text, Box::reportAndLaunchText, workRecord.userName, count);
    // One icon only: information and question together make a style that
    // shows none at all.
    UINT question = (style & ~MB_ICONMASK) | MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    if (showBox(NULL, BoxText{text, Box::reportCaption, question}) != IDYES)
        return;
    HINSTANCE started = ShellExecuteA(mainWindow, "open", mailerPath, NULL, NULL, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        showBox(NULL, Box::launchFailed);
    if (settings.endRoundOnLaunch)
        result = 1;
}
