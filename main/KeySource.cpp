#include "KeySource.h"

#include <cstdlib>

#include "main/mdlMain.h"
#include "support/RuntimeError.h"
#include "support/SystemFile.h"
#include "support/Terminal.h"
#include "support/Text.h"

namespace ciphora {

namespace {

// A key file is fifteen digits and a line break; anything much longer is not one.
constexpr std::size_t kLongestKeyFile = 1024;
// Any bit for the group or others lets someone besides the owner at the key.
constexpr unsigned kOthersBits = 077;

std::string StripLineBreak(std::string text) {
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

// Read up to just past the longest key file there is.
std::string ReadKeyText(SystemFile& file) {
    std::string text(kLongestKeyFile + 1, '\0');
    std::size_t size = 0;
    while (const std::size_t got = file.Read(text.data() + size, text.size() - size)) {
        size += got;
        if (size == text.size()) break;
    }
    text.resize(size);
    return text;
}

std::optional<std::string> KeyFileText(const std::string& path, Messages& messages) {
    const bool fromStandardInput = path == "-";
    try {
        SystemFile file = fromStandardInput ? SystemFile::StandardInput() : SystemFile::OpenForReading(path);
        if (const std::optional<unsigned> bits = file.Traits(false).permissionBits;
            !fromStandardInput && bits && (*bits & kOthersBits) != 0 && file.IsOrdinary())
            messages.Caution("the key file " + ShownName(path) + " can be read by others; chmod 600 " +
                             ShownName(path));
        return StripLineBreak(ReadKeyText(file));
    } catch (const RuntimeError& error) {
        messages.Error("cannot read the key " +
                       (fromStandardInput ? std::string("from standard input") : "file " + ShownName(path)) + ": " +
                       error.SystemText());
        return std::nullopt;
    }
}

std::optional<std::string> KeyText(const Options& options, Messages& messages, bool mayAsk) {
    if (options.keyFile) return KeyFileText(*options.keyFile, messages);
    if (const char* variable = std::getenv(kKeyVariable)) return std::string(variable);
    std::optional<std::string> typed = mayAsk ? Terminal::ReadSecret("Key: ") : std::nullopt;
    if (!typed) {
        messages.Error("no key: give -k KEYFILE, set CIPHORA_KEY, or run ciphora on a terminal");
        return std::nullopt;
    }
    // A key that enciphers is typed twice, so that a slip does not lock the text away.
    if (options.action == Options::Action::Encipher && Terminal::ReadSecret("Key again: ") != typed) {
        messages.Error("the two keys typed differ");
        return std::nullopt;
    }
    return typed;
}

}  // namespace

bool KeyGiven(const Options& options) { return options.keyFile || std::getenv(kKeyVariable) != nullptr; }

std::optional<CipherKey> ObtainKey(const Options& options, Messages& messages, bool mayAsk) {
    const std::optional<std::string> text = KeyText(options, messages, mayAsk);
    if (!text) return std::nullopt;
    std::optional<CipherKey> key = ReadCommandLineKey(*text);
    if (!key) messages.Error("the key must be fifteen digits: five groups of three, each from 001 to 255");
    return key;
}

namespace {

// Five groups, each uniform in 1 to 255: random bytes, 0 drawn again.
std::string NewKeyText() {
    std::string digits;
    while (digits.size() < 15) {
        unsigned char byte = 0;
        FillFromSystemRandom(&byte, 1);
        if (byte == 0) continue;
        const std::string group = std::to_string(byte);
        digits += std::string(3 - group.size(), '0') + group;
    }
    return digits + "\n";
}

}  // namespace

int WriteNewKey(const std::string& path, Messages& messages) {
    const bool toStandardOutput = path == "-";
    bool created = false;
    try {
        const std::string text = NewKeyText();
        SystemFile file = toStandardOutput ? SystemFile::StandardOutput() : SystemFile::CreateExclusively(path);
        created = !toStandardOutput;
        file.Write(text);
        file.Close();
        return kExitDone;
    } catch (const RuntimeError& error) {
        // No half key is left behind.
        if (created) {
            try {
                RemoveFile(path);
            } catch (const RuntimeError&) {
                // Said below: the key file was not written.
            }
        }
        messages.Error("cannot write the new key " +
                       (toStandardOutput ? std::string("to standard output") : ShownName(path)) + ": " +
                       error.SystemText());
        return kExitCantCreate;
    }
}

}  // namespace ciphora
