/* Keeps the Wine desktop in use while tests run. Wine closes a desktop a few
 * seconds after its last program ends; the next program that needs one then
 * starts the desktop process as its own child, and that child holds the
 * program's output open until it ends in turn, so a test runner waiting for
 * the output to close waits far too long. One hidden window is enough. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    MSG msg;
    (void)instance, (void)previous, (void)commandLine, (void)show;
    CreateWindowA("STATIC", "Quillora test desktop keeper", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
