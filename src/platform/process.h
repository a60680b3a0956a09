#pragma once

#include <string>
#include <vector>

namespace platform {

// Splits a command line the way a Windows program receives it: blanks separate arguments, double
// quotes group blanks into one argument and are removed.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts the program named by the command line's first argument with the rest as its arguments, in
// the caller's environment and folder, with none of the caller's open files. Does not wait for it;
// the child is reaped when it ends, so it never lingers as a zombie. False when it cannot be started.
bool RunProgram(const std::string& commandLine);

} // namespace platform
