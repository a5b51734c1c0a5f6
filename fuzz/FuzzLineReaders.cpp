// The line readers over any file contents: they end, and what they hand out
// is the file's text.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzPlatform.h"
#include "reader/clsFileRead.h"
#include "support/Text.h"

namespace {

const std::string& ScratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/ciphora-fuzz-lines-XXXXXX";
        const int descriptor = mkstemp(name);
        close(descriptor);
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ciphora;
    static fuzzing::QuietPlatform platform;
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file << text;
    }

    for (int trimmed = 0; trimmed < 2; ++trimmed) {
        clsFileRead reader;
        reader.FileName(ScratchFile());
        if (data[0] & 1) reader.LineDelimiter(data[0] & 2 ? "" : "\n");
        FUZZ_CHECK(reader.OpenFile() == 0);
        std::size_t handedOut = 0;
        for (std::size_t calls = 0;; ++calls) {
            FUZZ_CHECK(calls <= text.size() + 3);
            const bool ended = reader.IsEndOfFile() == 1 && reader.IsEndOfLine() == 1 && IsBlank(reader.OutPutString());
            FUZZ_CHECK((trimmed ? reader.ReadNextLine1310() : reader.ReadNextLine()) == 0);
            if (ended) break;
            handedOut += reader.LineString().size();
        }
        FUZZ_CHECK(handedOut <= text.size());
        reader.CloseFile();
    }

    clsFileRead whole;
    whole.FileName(ScratchFile());
    FUZZ_CHECK(whole.LoadFileOutputString() == 0);
    FUZZ_CHECK(whole.OutPutString() == text);
    std::string joined;
    while (whole.BigStringPointer() <= static_cast<std::int32_t>(text.size())) {
        whole.ReadLineCrLf();
        joined += whole.LineString() + "\r\n";
    }
    FUZZ_CHECK(joined == text || joined == text + "\r\n");
    return 0;
}
