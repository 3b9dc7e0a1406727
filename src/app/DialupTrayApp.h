// A tray program that follows the machine's dial-up (RAS) connection.
#pragma once
#include "app/TrayApp.h"

class DialupTrayApp : public TrayApp {
public:
    DialupTrayApp() : offline_(1) {}

    // 1 = offline, as the monitor last saw it; only goOnline and goOffline
    // change it.
    BYTE offline() const { return offline_; }
    // True when the connection has just come up, or just gone down.
    bool goOnline();
    bool goOffline();
    bool isDialupConnected();

private:
    BYTE offline_;
};
