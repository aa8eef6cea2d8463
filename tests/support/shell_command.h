// A shell command run by a test, for the project's scripted tools.
#pragma once

#include <string>

// Runs a shell command; its exit status, with what it printed (standard
// output and standard error) appended to output.
int RunShell(const std::string& command, std::string& output);
