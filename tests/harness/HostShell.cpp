#include "HostShell.h"

#include <windows.h>

#include <cstring>

namespace {

// Wine's own exports; they exist only under Wine.
typedef char*(CDECL* UnixFileName)(LPCWSTR);
typedef LONG(WINAPI* UnixSpawn)(char* const* arguments, int wait);

template <typename Function>
Function wineExport(const char* module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

}  // namespace

std::string unixPathOf(const std::string& windowsPath)
{
    auto convert = wineExport<UnixFileName>("kernel32", "wine_get_unix_file_name");
    if (!convert)
        return "";
    wchar_t wide[1024];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024))
        return "";
    char* unix = convert(wide);
    if (!unix)
        return "";
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

int runOnHost(const std::vector<std::string>& arguments, bool wait)
{
    auto spawn = wineExport<UnixSpawn>("ntdll", "__wine_unix_spawnvp");
    if (!spawn || arguments.empty())
        return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return static_cast<int>(spawn(argv.data(), wait ? 1 : 0));
}

std::string testProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path;
}
