// Which outcomes of a probe are the network's failures.
#include "checking/NetworkFailure.h"

bool isNetworkFailure(ProbeOutcome outcome, bool loopbackServer)
{
    if (loopbackServer)
        return false;
    switch (outcome) {
    case ProbeOutcome::serverNotFound:
    case ProbeOutcome::lookupTimedOut:
    case ProbeOutcome::serverUnreachable:
    case ProbeOutcome::timedOut:
        return true;
    default:
        return false;
    }
}
