// Steps on the settings file and its copy that another program may stand in
// the way of for a moment: a virus scanner or a search indexer opens a file
// that was just written, and Windows then refuses to open, replace or rename
// it. Each step is tried again until a deadline, which the steps of one save
// (or of start-up) share, so that the window never waits long in all.
#pragma once
#include "checking/Deadline.h"
#include "config/HeapArray.h"

#include <windows.h>

// Well below the 5 s after which Windows takes a window for hung.
const DWORD kHeldFileWaitMs = 2000;

// A path with room for a ".bad" name made from a settings path.
typedef wchar_t KeptPath[MAX_PATH + 5];

// path with its last three characters ("ini") replaced by extension; the
// name keeps its length, so it fits wherever the file's own name does.
void siblingPath(const wchar_t* path, const wchar_t* extension, wchar_t (&sibling)[MAX_PATH]);
// The name after the last backslash.
const wchar_t* fileNameOf(const wchar_t* path);
// Nothing of that name, as opposed to something that cannot be seen.
bool fileAbsent(const wchar_t* path);

// An existing file, opened with CreateFileW's OPEN_EXISTING; INVALID_HANDLE_VALUE
// with the system's error once it is refused for another reason than another
// program's hold, or the deadline has passed.
HANDLE openWhenFree(const wchar_t* path, DWORD access, DWORD share, const Deadline& deadline);
// The whole file; false with the system's error.
bool readFileWhenFree(const wchar_t* path, HeapArray<char>& bytes, const Deadline& deadline);
// MoveFileExW, tried again while another program holds either file.
bool moveFileWhenFree(const wchar_t* from, const wchar_t* to, DWORD flags, const Deadline& deadline);
// Renames a file that cannot be used to "<name>.bad" beside it, or the
// first free of "<name>.bad2" to "<name>.bad9": never over another file.
bool keepAside(const wchar_t* path, KeptPath& kept, const Deadline& deadline);
