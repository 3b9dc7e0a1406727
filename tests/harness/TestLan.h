// The tests' LAN (see tests/harness/in-session): the adapter a0 with
// 10.123.0.1/24, its far side holding lan.quillora.test, 10.123.0.2, whose
// port 110 is Dovecot's. Tests that change it run alone.
#pragma once
#include <string>
#include <vector>

// Runs each command on the host (ip ... on a0); false at the first that fails.
bool changeLan(const std::vector<std::vector<std::string>>& commands);
// Whether Windows reports a0 up (or down) with an IPv4 address in this /8.
bool lanAdapterShows(bool up, int firstOctet = 10);
// a0 up or down, once Windows reports it so (within 5 s).
bool setLan(bool up);
// a0 as the session made it, once Windows reports it so.
bool restoreLan();
