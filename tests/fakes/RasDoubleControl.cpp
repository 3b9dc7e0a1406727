#include "RasDoubleControl.h"

namespace {

const char kSection[] = "ras";
// The double takes the same mutex: both sides rewrite the whole file.
const char kMutexName[] = "QuilloraRasDoubleIni";

class IniLock {
public:
    IniLock() : mutex(CreateMutexA(nullptr, FALSE, kMutexName))
    {
        if (mutex)
            WaitForSingleObject(mutex, 5000);
    }
    ~IniLock()
    {
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
    }
    IniLock(const IniLock&) = delete;
    IniLock& operator=(const IniLock&) = delete;

private:
    HANDLE mutex;
};

} // namespace

RasDouble::RasDouble() : RasDouble(exeFolder()) {}

RasDouble::RasDouble(const std::string& folder) : path(folder)
{
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += "rasdouble.ini";
}

std::string RasDouble::exeFolder()
{
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string folder(buffer, n < MAX_PATH ? n : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void RasDouble::setConnections(int n, DWORD state)
{
    write("connections", static_cast<DWORD>(n));
    for (int i = 1; i <= n; ++i)
        setState(i, state);
}

void RasDouble::setEnumResult(DWORD error)
{
    write("enumResult", error);
}

void RasDouble::setState(int index1, DWORD state)
{
    write("state" + std::to_string(index1), state);
}

void RasDouble::setStatusResult(int index1, DWORD error)
{
    write("statusResult" + std::to_string(index1), error);
}

void RasDouble::reset()
{
    IniLock lock;
    WritePrivateProfileStringA(kSection, nullptr, nullptr, path.c_str());
}

DWORD RasDouble::enumCalls() const
{
    return read("enumCalls");
}

DWORD RasDouble::statusCalls() const
{
    return read("statusCalls");
}

void RasDouble::write(const std::string& key, DWORD value) const
{
    IniLock lock;
    WritePrivateProfileStringA(kSection, key.c_str(), std::to_string(value).c_str(),
                               path.c_str());
}

DWORD RasDouble::read(const char* key) const
{
    IniLock lock;
    return GetPrivateProfileIntA(kSection, key, 0, path.c_str());
}
