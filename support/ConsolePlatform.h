#pragma once

#include <string>

#include "Platform.h"

namespace ciphora {

// The platform of a program run from a console: every logged message is
// shown on standard error as well, and an output that exceeds the file size
// limit fails its write instead of ending the process. The command line is
// the arguments joined with single blanks on POSIX systems; on Windows it is
// the raw text that follows the program's name, as the system passed it, in
// the ANSI code page.
class ConsolePlatform : public Platform {
public:
    ConsolePlatform(int argc, char** argv);

    std::string CommandLine() const override { return commandLine_; }
    void ShowLogMessage(std::string_view message) override;

private:
    std::string commandLine_;
};

}  // namespace ciphora
