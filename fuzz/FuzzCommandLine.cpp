// The batch command line: every line gets one of the described outcomes.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzPlatform.h"
#include "cipher/LenientNumber.h"
#include "main/mdlMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    if (size < 1) return 0;
    const bool present = data[0] & 1;
    const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
    bool asked = false;
    const BatchCommand command = ReadCommandLine(line, [&](std::string_view name) {
        asked = true;
        FUZZ_CHECK(name == "input.txt" || name == "output.txt");
        return present;
    });
    static const std::string kRangeRefusal =
        "Incorrect Key - should be in the form of ENC001255001255001 or DENC001255001255001 - each of the 5 x 3 digit "
        "code should be between 001 and 255";
    static const std::set<std::string> kRefusals = {
        "Incorrect Key - should be in the form of ENC123456789012345 or DENC123456789012345 - 15 digits in length",
        "Incorrect Key - should be in the form of ENC123456789012345 - 15 digits in length",
        "Incorrect Key - should be in the form of DENC123456789012345 - 15 digits in length",
        "Input file input.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe",
        "Input file output.txt does not exist or is in wrong directory - must be in the same directory as Ciphora.exe",
        kRangeRefusal,
    };
    if (command.mode == BatchCommand::Mode::Refused) {
        FUZZ_CHECK(kRefusals.count(command.refusal) == 1);
        FUZZ_CHECK(command.status == (command.refusal.starts_with("Input file") ? kExitNoInput : kExitUsage));
        return 0;
    }
    FUZZ_CHECK(present && asked);
    FUZZ_CHECK(command.keyDigits.size() == 15);
    for (std::size_t group = 0; group < 5; ++group) {
        const auto value = ReadKeyGroup(std::string_view(command.keyDigits).substr(3 * group, 3));
        FUZZ_CHECK(value && *value >= 1 && *value <= 255);
    }
    return 0;
}
