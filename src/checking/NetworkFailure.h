// Which failures of a probe are the network's: nothing the user could fix
// in the account, and nothing the server said.
#pragma once
#include "checking/pop3/Pop3Probe.h"

// The name lookup failed or ran out of time, no route led to the server, or
// the connect or a reply ran out of time. Never against a server on this
// machine: it needs no network, so its silence is its own.
bool isNetworkFailure(ProbeOutcome outcome, bool loopbackServer);
