// Start-up's restore of a copy that a save cut short left beside the file.
#include "config/LeftoverCopy.h"
#include "config/HeldFiles.h"
#include "config/SettingsFile.h"

bool restoreLeftoverCopy(const wchar_t* filePath, LeftoverCopy& leftover)
{
    leftover.badFile[0] = L'\0';
    leftover.fileMissing = leftover.copyDamaged = false;
    lstrcpynW(leftover.filePath, filePath, MAX_PATH);
    siblingPath(leftover.filePath, L"new", leftover.copyPath);
    if (GetFileAttributesW(leftover.copyPath) == INVALID_FILE_ATTRIBUTES)
        return false;

    const Deadline deadline = Deadline::inMs(kHeldFileWaitMs);
    leftover.fileMissing = fileAbsent(leftover.filePath);
    if (!leftover.fileMissing) {
        // A file that cannot be read cannot be judged, so it is never
        // replaced: then all stays as it is.
        HeapArray<char> file;
        DWORD attributes = GetFileAttributesW(leftover.filePath);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !readFileWhenFree(leftover.filePath, file, deadline))
            return false;
        // Beside a whole file the copy is stale.
        if (holdsSettingsValue(file))
            return false;
    }
    HeapArray<char> copy;
    if (!readFileWhenFree(leftover.copyPath, copy, deadline))
        return false;
    // A power cut while the copy was written can leave its settings value
    // whole and a record after it cut short.
    if (!holdsEveryCountedRecord(copy)) {
        leftover.copyDamaged = true;
        setAsideAsBad(leftover.copyPath, leftover.badFile, deadline);
        return false;
    }
    if (!leftover.fileMissing && !setAsideAsBad(leftover.filePath, leftover.badFile, deadline))
        return false;
    // Nothing is replaced here: whatever took the name meanwhile stays. Once
    // moved, the copy is the file, whether or not a scanner lets it be read
    // back at once; start-up reads it next.
    return moveFileWhenFree(leftover.copyPath, leftover.filePath, MOVEFILE_WRITE_THROUGH, deadline);
}
