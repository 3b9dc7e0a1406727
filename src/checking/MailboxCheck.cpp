#include "checking/MailboxCheck.h"

#include <cstdlib>
#include <new>

struct MailboxCheck {
    LONG           holders;    // the UI thread and the worker; whoever lets go last frees it
    AbandonSignal  abandon;    // raised by the UI thread
    HANDLE         finished;   // set by the worker once its connection is closed
    HWND           window;
    UINT           message;
    WPARAM         serial;
    MailboxRequest request;
    ProbeOutcome   outcome;
    Pop3Reply      reply;
    bool           loopbackServer;
};

namespace {

void release(MailboxCheck* check)
{
    if (InterlockedDecrement(&check->holders) != 0)
        return;
    if (check->finished)
        CloseHandle(check->finished);
    check->~MailboxCheck();
    SecureZeroMemory(check, sizeof *check);   // the password
    free(check);
}

DWORD WINAPI converse(LPVOID parameter)
{
    MailboxCheck* check = static_cast<MailboxCheck*>(parameter);
    check->outcome = checkMailbox(check->request, &check->abandon, check->reply, &check->loopbackServer);
    SecureZeroMemory(&check->request, sizeof check->request);
    // An abandoned check has nobody waiting for its word. A post that fails
    // is not lost: the window also watches finished.
    if (!check->abandon.raised())
        PostMessageW(check->window, check->message, check->serial, 0);
    SetEvent(check->finished);
    release(check);
    return 0;
}

}  // namespace

MailboxCheck* startMailboxCheck(const MailboxRequest& request, HWND window, UINT message, WPARAM serial)
{
    // The C heap, as everywhere in the program: the library's throwing new
    // would bring its exception machinery into the exe.
    void* memory = calloc(1, sizeof(MailboxCheck));
    if (!memory)
        return NULL;
    MailboxCheck* check = new (memory) MailboxCheck();
    check->holders = 2;
    check->finished = CreateEventW(NULL, TRUE, FALSE, NULL);
    check->window = window;
    check->message = message;
    check->serial = serial;
    check->request = request;
    // A worker of the pool is kept between checks, where a thread of its own
    // would be made anew for every account. The conversation waits for long
    // stretches, hence a "long function".
    if (!check->abandon.ready() || !check->finished ||
        !QueueUserWorkItem(converse, check, WT_EXECUTELONGFUNCTION)) {
        check->holders = 1;
        release(check);
        return NULL;
    }
    return check;
}

bool mailboxCheckEnded(const MailboxCheck* check)
{
    return WaitForSingleObject(check->finished, 0) == WAIT_OBJECT_0;
}

ProbeOutcome finishMailboxCheck(MailboxCheck* check, Pop3Reply& reply, bool* loopbackServer)
{
    ProbeOutcome outcome = check->outcome;
    reply = check->reply;
    if (loopbackServer)
        *loopbackServer = check->loopbackServer;
    release(check);
    return outcome;
}

void abandonMailboxCheck(MailboxCheck* check, DWORD waitMs)
{
    check->abandon.raise();
    WaitForSingleObject(check->finished, waitMs);
    release(check);
}
