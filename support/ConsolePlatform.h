#pragma once

#include <string>
#include <vector>

#include "Platform.h"

namespace ciphora {

// The platform of a program run from a console: every logged message is
// shown on standard error as well, and an output that exceeds the file size
// limit or a pipe that closes fails its write instead of ending the process.
// The arguments are UTF-8 on every system. The command line is
// the arguments joined with single blanks on POSIX systems; on Windows it is
// the raw text that follows the program's name, as the system passed it, in
// the ANSI code page.
class ConsolePlatform : public Platform {
public:
    ConsolePlatform(int argc, char** argv);

    std::string CommandLine() const override { return commandLine_; }
    void ShowLogMessage(std::string_view message) override;

    // The arguments after the program's name.
    const std::vector<std::string>& Arguments() const { return arguments_; }

private:
    std::string commandLine_;
    std::vector<std::string> arguments_;
};

// Ends the run as a filter ends when the reader of its output has gone away:
// killed by SIGPIPE on POSIX systems, like cat. Windows has no such signal:
// there it returns, and the run ends with status 0.
void EndAsTheReaderLeft();

}  // namespace ciphora
