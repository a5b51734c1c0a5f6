#include "mdlMain.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "cipher/LenientNumber.h"
#include "cipher/clsEncrypt.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"
#include "support/mdlFileExist.h"

namespace ciphora {

std::int32_t ErrTrapLevel = 0;

namespace {

constexpr std::string_view kGeneralForm =
    "Incorrect Key - should be in the form of ENC123456789012345 or DENC123456789012345 - 15 digits in length";
constexpr std::string_view kEncLength =
    "Incorrect Key - should be in the form of ENC123456789012345 - 15 digits in length";
constexpr std::string_view kDencLength =
    "Incorrect Key - should be in the form of DENC123456789012345 - 15 digits in length";
constexpr std::string_view kInputTxtMissing =
    "Input file input.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe";
constexpr std::string_view kOutputTxtMissing =
    "Input file output.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe";
constexpr std::string_view kGroupRange =
    "Incorrect Key - should be in the form of ENC001255001255001 or DENC001255001255001 - each of the 5 x 3 digit "
    "code should be between 001 and 255";

struct Mode {
    BatchCommand::Mode mode;
    std::string_view prefix;
    std::string_view lengthRefusal;
    std::string_view inputName;
    std::string_view missingRefusal;
    std::string_view outputName;
};

constexpr Mode kEncipher{BatchCommand::Mode::Encipher, "ENC", kEncLength, "input.txt", kInputTxtMissing, "output.txt"};
constexpr Mode kDecipher{
    BatchCommand::Mode::Decipher, "DENC", kDencLength, "output.txt", kOutputTxtMissing, "input.txt"};

std::string Normalise(std::string_view commandLine) {
    std::string line(TrimBlanks(commandLine));
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return line;
}

BatchCommand Refusal(std::string_view message, int status) {
    BatchCommand command;
    command.refusal = message;
    command.status = status;
    return command;
}

int StatusOf(std::int32_t fileResult) {
    switch (fileResult) {
        case kFileDone: return kExitDone;
        case kInputMissing: return kExitNoInput;
        case kInputBlank: return kExitDataError;
        case kOutputNotSaved: return kExitCantCreate;
        default: return kExitUsage;
    }
}

int Run(const BatchCommand& command) {
    Platform& platform = CurrentPlatform();
    const bool encipher = command.mode == BatchCommand::Mode::Encipher;
    const Mode& mode = encipher ? kEncipher : kDecipher;
    const std::string input = AppFile(mode.inputName);
    const std::string output = AppFile(mode.outputName);
    platform.SetMousePointer(MousePointer::Busy);
    std::int32_t result;
    {
        clsEncrypt cipher;
        cipher.KKey(command.keyDigits);
        if (encipher) {
            cipher.FileNameIn(input);
            cipher.FileNameOut(output);
            result = cipher.EncryptFile(input, output);
        } else {
            result = cipher.DeEncryptFile(input, output);
        }
        DoEvents();
    }
    platform.SetMousePointer(MousePointer::Default);
    return StatusOf(result);
}

}  // namespace

BatchCommand ReadCommandLine(std::string_view commandLine,
                             const std::function<bool(std::string_view inputName)>& inputPresent) {
    const std::string line = Normalise(commandLine);
    const Mode* mode = line.starts_with(kEncipher.prefix)   ? &kEncipher
                       : line.starts_with(kDecipher.prefix) ? &kDecipher
                                                            : nullptr;
    if (!mode) return Refusal(kGeneralForm, kExitUsage);

    std::string keyDigits = line.substr(mode->prefix.size());
    if (keyDigits.size() != kKeyLength) return Refusal(mode->lengthRefusal, kExitUsage);
    if (!inputPresent(mode->inputName)) return Refusal(mode->missingRefusal, kExitNoInput);
    if (!KeyGroupsInRange(keyDigits)) return Refusal(kGroupRange, kExitUsage);
    BatchCommand command;
    command.mode = mode->mode;
    command.keyDigits = std::move(keyDigits);
    return command;
}

int Main() {
    const BatchCommand command = ReadCommandLine(
        CurrentPlatform().CommandLine(), [](std::string_view inputName) { return FileExist(AppFile(inputName)) == 1; });
    if (command.mode == BatchCommand::Mode::Refused) {
        FWriteLog(command.refusal, "");
        return command.status;
    }
    return Run(command);
}

}  // namespace ciphora
