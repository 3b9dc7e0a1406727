// Reading and writing the program's settings file from a test, with the same
// profile functions the program uses.
#pragma once
#include "config/Records.h"

#include <map>
#include <string>

namespace testsettings {

// The settings file of this test process's own executable.
std::string ownIniPath();

SettingsRecord makeSettings(int accountCount = 0, int intervalMinutes = 0);
AccountRecord makeAccount(const char* userName, const char* account, const char* password,
                          const char* server, const char* mailerPath = "", bool launchMailer = false);

bool writeSettings(const std::string& iniPath, const SettingsRecord& settings);
bool readSettings(const std::string& iniPath, SettingsRecord& settings);
bool writeAccount(const std::string& iniPath, int accountNumber, const AccountRecord& account);
bool readAccount(const std::string& iniPath, int accountNumber, AccountRecord& account);

// The raw text of a value, as it stands in the file; empty when missing.
std::string rawValue(const std::string& iniPath, const char* section, const char* key);
// Whether key holds exactly these bytes, as the structured profile functions
// read them.
bool holdsBytes(const std::string& iniPath, const char* section, const char* key, const std::string& bytes);
std::string fileText(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

// Every file named as the settings file but for its ending, the executable
// left out, by that ending ("ini", "new", "new.bad"), with its bytes; a
// folder of such a name with kFolder.
extern const char kFolder[];
std::map<std::string, std::string> settingsFiles(const std::string& iniPath);
void removeSettingsFiles(const std::string& iniPath);

}  // namespace testsettings
