// The box of a probe that did not read the mailbox: a fixed text for most
// outcomes; a refusal told in the server's own words, and a refused
// connection with its port.
#pragma once
#include "checking/ProbedAccount.h"
#include "checking/pop3/Pop3Probe.h"

void showProbeFailure(ProbeOutcome outcome, const Pop3Reply& reply, const ProbedAccount& account);
