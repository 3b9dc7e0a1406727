// The files beside the settings file: its copy while a save is under way
// ("<name>.new", "<name>.tmp") and a damaged file set aside ("<name>.bad").
#pragma once
#include "base/Deadline.h"

#include <windows.h>

// path with its last three characters ("ini") replaced by extension; the
// name keeps its length, so it fits wherever the file's own name does.
void siblingPath(const wchar_t* path, const wchar_t* extension, wchar_t (&sibling)[MAX_PATH]);
// The name after the last backslash.
const wchar_t* fileNameOf(const wchar_t* path);
// Nothing of that name, as opposed to something that cannot be seen.
bool fileAbsent(const wchar_t* path);

// A settings path with ".bad" and a digit after it.
typedef wchar_t BadFilePath[MAX_PATH + 5];
// Renames a file that cannot be used to "<name>.bad" beside it, or the
// first free of "<name>.bad2" to "<name>.bad9": never over another file.
bool setAsideAsBad(const wchar_t* path, BadFilePath& badPath, const Deadline& deadline);
