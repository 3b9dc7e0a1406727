// One account's conversation on a worker thread of the system's pool, so
// that the thread that owns the windows never waits on the network. The
// conversation works on its own copy of what it sends; its end comes back to
// the window as a posted message, and the UI thread may abandon it at any
// moment: its connection is then closed and nothing more is sent. The
// worker touches nothing but the check itself.
#pragma once
#include "checking/Pop3Conversation.h"

#include <windows.h>

struct MailboxCheck;

// Starts the conversation. Once it has ended, message is posted to window
// with serial as its wParam, unless the check was abandoned first. NULL when
// no worker could be had.
MailboxCheck* startMailboxCheck(const MailboxRequest& request, HWND window, UINT message, WPARAM serial);

// Whether the conversation has ended: its message has been posted, or its
// post failed.
bool mailboxCheckEnded(const MailboxCheck* check);

// After the message: how the conversation ended, the reply that
// checkMailbox leaves (STAT's, or the refusal) and, unless NULL, whether the
// server was this machine. The check is gone afterwards.
ProbeOutcome finishMailboxCheck(MailboxCheck* check, Pop3Reply& reply, bool* loopbackServer = NULL);

// Ends the conversation where it stands and waits up to waitMs for the
// worker to have closed its connection. The check is gone afterwards; its
// message, if already posted, is to be ignored.
void abandonMailboxCheck(MailboxCheck* check, DWORD waitMs);
