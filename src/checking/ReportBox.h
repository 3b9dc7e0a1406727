// The new-mail report box, and the mail program it offers to start.
#pragma once
#include "checking/ProbedAccount.h"

#include <windows.h>

// Tells of count messages for the account, topmost when onTop, and starts
// the account's mail program where it names one and the user asks for it
// (owner: the window it is started for). True when the user asked for the
// mail program, whether or not it started.
bool reportNewMail(const ProbedAccount& account, int count, bool onTop, HWND owner);
