#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cipher/CipherKey.h"

namespace ciphora {

// Arms the reader's error traps when 1 or more; 0 at start, and nothing in
// the program changes it.
extern std::int32_t ErrTrapLevel;

// Exit statuses of the batch program, in the sysexits tradition.
enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 64,       // command line or key refused
    kExitDataError = 65,   // input blank or unreadable
    kExitNoInput = 66,     // input file missing
    kExitCantCreate = 73,  // output could not be written
    kExitIoError = 74,     // a run-time error of the log itself
};

// What a command line asks for: one file operation with its key digits, or a
// refusal with its message and exit status.
struct BatchCommand {
    enum class Mode { Refused, Encipher, Decipher };
    Mode mode = Mode::Refused;
    std::string keyDigits;
    std::string refusal;
    int status = kExitDone;
};

// Decides a command line in the order prefix, length, presence of the input
// file (asked of `inputPresent` with "input.txt" or "output.txt"), key groups.
BatchCommand ReadCommandLine(std::string_view commandLine,
                             const std::function<bool(std::string_view inputName)>& inputPresent);

// The batch program: reads the command line, refuses it into the log or runs
// one encipherment ("ENC" + 15 key characters: input.txt into output.txt) or
// decipherment ("DENC" + 15 key characters: output.txt into input.txt) in
// the application directory. Returns the exit status.
int Main();

}  // namespace ciphora
