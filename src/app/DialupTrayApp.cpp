// The dial-up layer of the program: what the connection monitor last saw.
#include "app/DialupTrayApp.h"
#include "checking/DialupConnection.h"

bool DialupTrayApp::goOnline()
{
    if (offline_ != 1)
        return false;
    offline_ = 0;
    return true;
}

bool DialupTrayApp::goOffline()
{
    if (offline_ != 0)
        return false;
    offline_ = 1;
    return true;
}

bool DialupTrayApp::isDialupConnected()
{
    return dialupConnectionIsUp();
}
