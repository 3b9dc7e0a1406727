#include "checking/MailboxCheck.h"
#include "checking/net/PoolTask.h"

struct MailboxCheckWork {
    AbandonSignal  abandon;    // raised by the UI thread
    HWND           window;
    UINT           message;
    WPARAM         serial;
    MailboxRequest request;
    ProbeOutcome   outcome;
    Pop3Reply      reply;

    void run()
    {
        outcome = checkMailbox(request, &abandon, reply);
        SecureZeroMemory(&request, sizeof request);
        // An abandoned check has nobody waiting for its word.
        if (!abandon.raised())
            PostMessageW(window, message, serial, 0);
    }
};

MailboxCheck* startMailboxCheck(const MailboxRequest& request, HWND window, UINT message, WPARAM serial)
{
    MailboxCheck* check = MailboxCheck::create();
    if (!check)
        return NULL;
    if (!check->work.abandon.ready()) {
        check->release();
        return NULL;
    }
    check->work.window = window;
    check->work.message = message;
    check->work.serial = serial;
    check->work.request = request;
    if (!check->queue())
        return NULL;
    return check;
}

ProbeOutcome finishMailboxCheck(MailboxCheck* check, Pop3Reply& reply)
{
    ProbeOutcome outcome = check->work.outcome;
    reply = check->work.reply;
    check->release();
    return outcome;
}

void abandonMailboxCheck(MailboxCheck* check, DWORD waitMs)
{
    check->work.abandon.raise();
    WaitForSingleObject(check->done(), waitMs);
    check->release();
}
