// Cutting any line into fields with any delimiter, and stripping every field.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzPlatform.h"
#include "reader/clsFileRead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    static fuzzing::QuietPlatform platform;
    if (size < 1) return 0;
    const std::size_t delimiterLength = std::min<std::size_t>(data[0] % 4, size - 1);
    const std::string delimiter(reinterpret_cast<const char*>(data) + 1, delimiterLength);
    const std::string line(reinterpret_cast<const char*>(data) + 1 + delimiterLength, size - 1 - delimiterLength);

    clsFileRead reader;
    reader.FieldDelimiter(delimiter);
    reader.LineString(line);
    // Every call takes at least one character off the line, or ends it.
    for (std::size_t calls = 0;; ++calls) {
        FUZZ_CHECK(calls <= line.size() + 1);
        const std::size_t before = reader.LineString().size();
        if (reader.ReadNextField() == -1) break;
        FUZZ_CHECK(reader.LineString().size() < before || before == 0);
        const std::string field = reader.FieldString();
        const std::int32_t status = reader.StripLength();
        FUZZ_CHECK(status == 0 || status == -1);
        FUZZ_CHECK(reader.FieldString().size() <= field.size());
    }
    FUZZ_CHECK(reader.IsEndOfLine() == 1);
    return 0;
}
