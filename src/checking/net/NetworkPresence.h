// Whether this machine is on a network at all, as its adapters say: the
// question LAN mode asks at every tick, since the change notices that
// Windows offers cannot be relied on.
#pragma once

// True when some adapter that is neither loopback nor a tunnel is up and
// holds an address others could reach it at: not loopback, not link-local
// (169.254 is what an adapter gets while DHCP has not answered). No gateway
// is needed: a mail server on the LAN has none. True as well when the
// adapters cannot be read, so that nothing is hidden on a guess.
bool machineHasNetwork();
