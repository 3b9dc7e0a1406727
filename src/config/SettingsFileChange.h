// A change of one or more values of the settings file, made as a whole or
// not at all. The values go into a copy of the file in the same folder; the
// copy's own bytes are read back and every value is looked for as written;
// only then does the copy replace the file, in one step. A full disk, a
// read-only file or any failure on the way leaves the file as it was.
#pragma once
#include "config/HeapArray.h"
#include "config/Records.h"

#include <windows.h>


class SettingsFileChange {
public:
    SettingsFileChange();    // makes the copy
    ~SettingsFileChange();   // removes a copy that did not replace the file

    void putSettings(const SettingsRecord& settings);
    void putAccount(int accountNumber, const AccountRecord& record, const char* account,
                    const char* password);
    // Takes the account's record out of the file.
    void removeAccount(int accountNumber);
    // True once the file on disk holds every value put.
    bool commit();

private:
    struct Written {
        char section[32];
        const char* key;
        bool removed;   // the key must be gone, not hold value
        char value[2 * sizeof(AccountRecord) + 3];
    };

    void put(const char* section, const char* key, const void* record, UINT size);
    bool copyHoldsEverything();

    char filePath_[MAX_PATH];
    char copyPath_[MAX_PATH];
    bool failed_;
    bool committed_;
    HeapArray<Written> written_;
};
