#pragma once

#include <string>

#include "Platform.h"

namespace ciphora {

// The platform of a program run from a console: the command line is its
// arguments joined with single blanks, every logged message is shown on
// standard error as well, and an output that exceeds the file size limit
// fails its write instead of ending the process.
class ConsolePlatform : public Platform {
public:
    ConsolePlatform(int argc, char** argv);

    std::string CommandLine() const override { return commandLine_; }
    void ShowLogMessage(std::string_view message) override;

private:
    std::string commandLine_;
};

}  // namespace ciphora
