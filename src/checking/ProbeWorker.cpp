// The worker that runs one probe, and its block.
#include "checking/ProbeWorker.h"
#include "checking/net/PoolTask.h"

struct ProbeWork {
    AbandonSignal  abandon;    // raised by the UI thread
    HWND           window;
    UINT           message;
    ProbeRequest   request;
    ProbeOutcome   outcome;
    Pop3Reply      reply;

    void perform()
    {
        outcome = probeMailbox(request, &abandon, reply);
        SecureZeroMemory(&request, sizeof request);
        // An abandoned probe has nobody waiting for its word.
        if (!abandon.raised())
            PostMessageW(window, message, 0, 0);
    }
};

ProbeWorker* startProbe(const char* server, const char* account, const char* password, HWND window, UINT message)
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
    fitText(worker->work.request.server, server);
    fitText(worker->work.request.account, account);
    fitText(worker->work.request.password, password);
    if (!worker->queue())
        return NULL;
    return worker;
}

ProbeOutcome finishProbe(ProbeWorker* worker, Pop3Reply& reply)
{
    ProbeOutcome outcome = worker->work.outcome;
    reply = worker->work.reply;
    worker->release();
    return outcome;
}

void abandonProbe(ProbeWorker* worker, DWORD waitMs)
{
    worker->work.abandon.raise();
    WaitForSingleObject(worker->done(), waitMs);
    worker->release();
}
