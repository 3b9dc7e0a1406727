// The Linux machine the tests run on under Wine, for conditions Windows calls
// cannot make, such as a path longer than Windows allows.
#pragma once
#include <string>
#include <vector>

// The Unix path of a Windows path; empty when not running under Wine.
std::string unixPathOf(const std::string& windowsPath);

// Runs a host program (looked up in PATH) with these arguments. Waits for it
// and answers its exit status, or answers 0 at once when wait is false; -1
// when it could not be started.
int runOnHost(const std::vector<std::string>& arguments, bool wait = true);

// The folder of the running test program.
std::string testProgramFolder();
