// Test-side control of the rasapi32.dll double (rasapi32_double.c): writes
// the rasdouble.ini that the double reads on every call, and reads back how
// often it was asked.
#pragma once
#include <windows.h>
#include <ras.h>
#include <string>

class RasDouble {
public:
    // The double reads the INI beside the exe that loaded it: by default this
    // test program's own folder; a driver that starts a copy of Quillora.exe
    // elsewhere names that copy's folder.
    RasDouble();
    explicit RasDouble(const std::string& folder);

    // Connections 1..n (at most 10), all in the given state.
    void setConnections(int n, DWORD state = RASCS_Connected);
    // What RasEnumConnectionsA returns; 0 is success.
    void setEnumResult(DWORD error);
    // Connection index1 (1-based) reports this RASCONNSTATE.
    void setState(int index1, DWORD state);
    // RasGetConnectStatusA on connection index1 returns this error.
    void setStatusResult(int index1, DWORD error);
    // No connections, no injected failures, counters back at zero.
    void reset();

    DWORD enumCalls() const;
    DWORD statusCalls() const;
    const std::string& iniPath() const { return path; }

    static std::string exeFolder();

private:
    void write(const std::string& key, DWORD value) const;
    DWORD read(const char* key) const;

    std::string path;
};
