// The STAT decision: which replies are news, and whether the round goes on
// after one.
#include "checking/MailReport.h"
#include "checking/ReportBox.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <cstring>

AfterReport MailReport::reportStat(const ProbedAccount& account, const char* reply, const SettingsRecord& settings,
                                   const RoundHost& host)
{
    // Only accounts with a status slot are checked; the test keeps a bad
    // number from writing beyond them.
    bool hasSlot = account.number >= 1 && account.number < kStatusSlots;
    if (settings.reportUnread == 0 && hasSlot && isUnchangedStatus(lastStatus_[account.number], reply))
        return AfterReport::nextAccount;
    StatCount found = countFromStatReply(reply);
    if (found.source == CountSource::none)
        return AfterReport::nextAccount;

    bool onTop = IsDlgButtonChecked(host.window, IDC_REPORT_ON_TOP) == BST_CHECKED;
    host.setTrayIcon(IDI_MAIL_ARRIVED, Tip::mailArrived);
    bool endsRound = reportNewMail(account, found.count, onTop, host.window) && settings.endRoundOnLaunch;
    // The two kinds of reply read "report per user" from different places:
    // the box as shown, or the stored setting.
    bool perUser = found.source == CountSource::secondWord
                       ? IsDlgButtonChecked(host.window, IDC_REPORT_PER_USER) == BST_CHECKED
                       : settings.reportPerUser != 0;
    return endsRound || !perUser ? AfterReport::endRound : AfterReport::nextAccount;
}

void MailReport::moveSlotsDown(int deletedNumber, int formerCount)
{
    const int lastSlot = formerCount < kStatusSlots - 1 ? formerCount : kStatusSlots - 1;
    if (deletedNumber < 1 || deletedNumber > lastSlot)
        return;
    for (int n = deletedNumber; n < lastSlot; ++n)
        memcpy(lastStatus_[n], lastStatus_[n + 1], sizeof lastStatus_[n]);
    memset(lastStatus_[lastSlot], 0, sizeof lastStatus_[lastSlot]);
}
