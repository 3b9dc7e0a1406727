#include "TestSettings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace testsettings {

const char kFolder[] = "(a folder)";

namespace {

void copyText(char* field, size_t width, const char* text)
{
    strncpy(field, text, width - 1);
    field[width - 1] = '\0';
}

std::string accountSection(int accountNumber)
{
    char section[32];
    snprintf(section, sizeof section, "USERDATA-NO%d", accountNumber);
    return section;
}

}  // namespace

std::string ownIniPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    memcpy(path + length - 3, "ini", 3);
    return path;
}

SettingsRecord makeSettings(int accountCount, int intervalMinutes)
{
    SettingsRecord settings = {};
    settings.accountCount = accountCount;
    settings.intervalMinutes = intervalMinutes;
    return settings;
}

AccountRecord makeAccount(const char* userName, const char* account, const char* password,
                          const char* server, const char* mailerPath, bool launchMailer)
{
    AccountRecord record = {};
    copyText(record.userName, sizeof record.userName, userName);
    copyText(record.account, sizeof record.account, account);
    copyText(record.password, sizeof record.password, password);
    copyText(record.server, sizeof record.server, server);
    copyText(record.mailerPath, sizeof record.mailerPath, mailerPath);
    record.launchMailer = launchMailer ? 1 : 0;
    return record;
}

bool writeSettings(const std::string& iniPath, const SettingsRecord& settings)
{
    SettingsRecord copy = settings;
    return WritePrivateProfileStructA("KORVELLIN-Quillora", "QXDATA", &copy, sizeof copy,
                                      iniPath.c_str()) != FALSE;
}

bool readSettings(const std::string& iniPath, SettingsRecord& settings)
{
    return GetPrivateProfileStructA("KORVELLIN-Quillora", "QXDATA", &settings, sizeof settings,
                                    iniPath.c_str()) != FALSE;
}

bool writeAccount(const std::string& iniPath, int accountNumber, const AccountRecord& account)
{
    AccountRecord copy = account;
    return WritePrivateProfileStructA(accountSection(accountNumber).c_str(), "DATA", &copy,
                                      sizeof copy, iniPath.c_str()) != FALSE;
}

bool readAccount(const std::string& iniPath, int accountNumber, AccountRecord& account)
{
    return GetPrivateProfileStructA(accountSection(accountNumber).c_str(), "DATA", &account,
                                    sizeof account, iniPath.c_str()) != FALSE;
}

std::string rawValue(const std::string& iniPath, const char* section, const char* key)
{
    char value[2048] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof value, iniPath.c_str());
    return value;
}

bool holdsBytes(const std::string& iniPath, const char* section, const char* key, const std::string& bytes)
{
    std::string read(bytes.size(), '\0');
    return GetPrivateProfileStructA(section, key, &read[0], static_cast<UINT>(read.size()), iniPath.c_str()) &&
           read == bytes;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::string fileText(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}

bool fileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::map<std::string, std::string> settingsFiles(const std::string& iniPath)
{
    std::map<std::string, std::string> files;
    const std::string stem = iniPath.substr(0, iniPath.size() - 3), folder = stem.substr(0, stem.rfind('\\') + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((stem + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string ending = (folder + found.cFileName).substr(stem.size());
        if (ending != "exe")
            files[ending] =
                found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? kFolder : fileText(folder + found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return files;
}

void removeSettingsFiles(const std::string& iniPath)
{
    const std::string stem = iniPath.substr(0, iniPath.size() - 3);
    for (const auto& file : settingsFiles(iniPath)) {
        SetFileAttributesA((stem + file.first).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (file.second == kFolder)
            RemoveDirectoryA((stem + file.first).c_str());
        else
            DeleteFileA((stem + file.first).c_str());
    }
}

}  // namespace testsettings
