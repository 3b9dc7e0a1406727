#include "app/MailCheckerApp.h"

// The one application object. Every window procedure, timer and command
// works on it; it is built before WinMain runs and torn down after it returns.
MailCheckerApp theApp;
