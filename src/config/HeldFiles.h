// Steps on the settings file and its copies that another program may stand
// in the way of for a moment: a virus scanner or a search indexer opens a
// file that was just written, and Windows then refuses to open, replace or
// rename it. Each step is tried again until a deadline, which the steps of
// one save (or of start-up) share, so that the window never waits long in all.
#pragma once
#include "base/Deadline.h"
#include "base/HeapArray.h"

#include <windows.h>

// Well below the 5 s after which Windows takes a window for hung.
const DWORD kHeldFileWaitMs = 2000;

// An existing file, opened with CreateFileW's OPEN_EXISTING; INVALID_HANDLE_VALUE
// with the system's error once it is refused for another reason than another
// program's hold, or the deadline has passed.
HANDLE openWhenFree(const wchar_t* path, DWORD access, DWORD share, const Deadline& deadline);
// The whole file; false with the system's error.
bool readFileWhenFree(const wchar_t* path, HeapArray<char>& bytes, const Deadline& deadline);
// MoveFileExW, tried again while another program holds either file.
bool moveFileWhenFree(const wchar_t* from, const wchar_t* to, DWORD flags, const Deadline& deadline);

// An open file from its start to its end; false when it cannot be read whole.
bool readWholeFile(HANDLE file, HeapArray<char>& bytes);
