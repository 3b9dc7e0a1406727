// The entry point: the application object does the rest.
#include "app/MailCheckerApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return theApp.run(instance);
}
