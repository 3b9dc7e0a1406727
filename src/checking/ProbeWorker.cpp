// The worker that runs one probe, and its block.
#include "checking/ProbeWorker.h"
#include "checking/net/PoolTask.h"

struct ProbeWork {
    AbandonSignal  abandon;    // raised by the UI thread
    HWND           window;
    UINT           message;
    WPARAM         serial;
    ProbeRequest   request;
    ProbeOutcome   outcome;
    Pop3Reply      reply;
    bool           loopbackServer;

    void perform()
    {
        outcome = probeMailbox(request, &abandon, reply, &loopbackServer);
        SecureZeroMemory(&request, sizeof request);
        // An abandoned probe has nobody waiting for its word. A post that
        // fails is not lost: the round also watches for the task's end.
        if (!abandon.raised())
            PostMessageW(window, message, serial, 0);
    }
};

ProbeWorker* startProbe(const char* server, const char* account, const char* password, HWND window, UINT message,
                        WPARAM serial)
{
    ProbeWorker* worker = ProbeWorker::create();
    if (!worker)
        return NULL;
    if (!worker->work.abandon.ready()) {
        worker->release();
        return NULL;
    }
    worker->work.window = window;
    worker->work.message = message;
    worker->work.serial = serial;
    fitText(worker->work.request.server, server);
    fitText(worker->work.request.account, account);
    fitText(worker->work.request.password, password);
    if (!worker->queue())
        return NULL;
    return worker;
}

bool probeEnded(const ProbeWorker* worker)
{
    return WaitForSingleObject(worker->done(), 0) == WAIT_OBJECT_0;
}

ProbeOutcome finishProbe(ProbeWorker* worker, Pop3Reply& reply, bool* loopbackServer)
{
    ProbeOutcome outcome = worker->work.outcome;
    reply = worker->work.reply;
    if (loopbackServer)
        *loopbackServer = worker->work.loopbackServer;
    worker->release();
    return outcome;
}

void abandonProbe(ProbeWorker* worker, DWORD waitMs)
{
    worker->work.abandon.raise();
    WaitForSingleObject(worker->done(), waitMs);
    worker->release();
}
