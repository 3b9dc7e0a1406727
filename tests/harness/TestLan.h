// The tests' LAN (see tests/harness/in-session): the adapter a0 with
// 10.123.0.1/24; behind it lan.quillora.test, 10.123.0.2, whose port 110 is
// Dovecot's. Tests that change it run alone.
#pragma once
#include <string>
#include <vector>

// Runs the commands (ip ... a0) on the host, then waits until Windows reports
// a0 up or down: Wine reads the adapters anew at every call.
bool changeLan(const std::vector<std::vector<std::string>>& commands, bool up);
bool setLan(bool up);
// a0 as the session made it.
bool restoreLan();
