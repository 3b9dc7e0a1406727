// A tray program that follows the machine's dial-up (RAS) connection.
#pragma once
#include "app/TrayApp.h"

class DialupTrayApp : public TrayApp {
public:
    BYTE offline;   // 1 = offline, as the monitor last saw it

    DialupTrayApp() : offline(1) {}

    bool goOnline();
    bool goOffline();
    bool isDialupConnected();
};
