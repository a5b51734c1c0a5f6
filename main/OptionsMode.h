#pragma once

#include <string>
#include <vector>

namespace ciphora {

// Whether the arguments are the options form of the command line: the first
// one begins with "-". The described command line never does.
bool IsOptionsCommandLine(const std::vector<std::string>& arguments);

// Runs the options form (see Options.h): any file or pipe in and out, the key
// from a file, the environment variable CIPHORA_KEY or the terminal, messages
// on standard error as "ciphora: <message>" (and in the log file that --log
// names). Returns the exit status.
int RunOptions(const std::vector<std::string>& arguments);

}  // namespace ciphora
