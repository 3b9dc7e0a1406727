// Start-up's restore: a save cut short (a power cut, a stick pulled out
// where replacing a file is not one step) may have left the accounts in the
// copy beside the file alone.
#pragma once
#include "config/SiblingFiles.h"

#include <windows.h>

// What start-up made of a copy that a change cut short left beside the file.
struct LeftoverCopy {
    wchar_t     filePath[MAX_PATH];
    wchar_t     copyPath[MAX_PATH];
    // The damaged file (the settings file, or the copy) under the name it
    // was set aside as; "" when there was none.
    BadFilePath badFile;
    bool        fileMissing;   // rather than damaged
    bool        copyDamaged;   // found beside a file missing or damaged, and not taken
};
// Run at start-up before the file at filePath is read. Beside a file that is
// missing or holds no valid settings value, a whole copy (its settings value
// and every record it counts read) takes the file's place (a damaged file is
// set aside first): true, and the box says so. A copy that is not whole is
// set aside, and the box says that; a copy beside a valid file is stale and
// stays for the next change.
bool restoreLeftoverCopy(const wchar_t* filePath, LeftoverCopy& leftover);
