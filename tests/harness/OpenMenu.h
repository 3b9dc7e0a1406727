// The popup menu this thread has open, if any. Tests running beside each
// other share one desktop, so a menu found by its class alone may be
// another test's.
#pragma once
#include <windows.h>

HWND openMenuOfThisThread();
