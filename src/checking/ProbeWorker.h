// One account's probe on a worker of the system's thread pool, so that the
// thread that owns the windows never waits on the network. The worker has
// its own copy of what it sends; its end comes back to the window as a
// posted message, and the window's thread may abandon it at any moment: its
// connection is then closed and nothing more is sent. The worker touches
// nothing but its own block.
#pragma once
#include "checking/pop3/Pop3Probe.h"

#include <windows.h>

struct ProbeWork;
template <typename Work>
class PoolTask;
typedef PoolTask<ProbeWork> ProbeWorker;

// Starts the probe of an account's server field, account name and password,
// copied into the worker's own block. Once it has ended, message is posted to
// window with serial as its wParam, unless the probe was abandoned first.
// NULL when no worker could be had.
ProbeWorker* startProbe(const char* server, const char* account, const char* password, HWND window, UINT message,
                        WPARAM serial);

// Whether the probe has ended: its message has been posted, or its post
// failed.
bool probeEnded(const ProbeWorker* worker);

// After the message: how the probe ended, the reply that probeMailbox leaves
// (STAT's, or the refusal) and, unless NULL, whether the server was this
// machine. The worker is gone afterwards.
ProbeOutcome finishProbe(ProbeWorker* worker, Pop3Reply& reply, bool* loopbackServer = NULL);

// Ends the probe where it stands and waits up to waitMs for the worker to
// have closed its connection. The worker is gone afterwards; its message, if
// already posted, is to be ignored.
void abandonProbe(ProbeWorker* worker, DWORD waitMs);
