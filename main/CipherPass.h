#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Messages.h"
#include "Options.h"
#include "ProgressMeter.h"
#include "cipher/CipherKernel.h"
#include "cipher/FileStreams.h"
#include "cipher/ReencodedCipherText.h"
#include "support/ByteStreams.h"
#include "support/ReadOnlyFile.h"

namespace ciphora {

// An input of the options form: a file of known size, or a stream (a pipe,
// standard input) read to its end. Cipher text that an editor or a shell
// re-encoded is read as the bytes it was.
class CipherInput {
public:
    // "-" is standard input. Raises RuntimeError when the input cannot be
    // opened, ReadFailure when its first bytes cannot be read.
    CipherInput(const std::string& path, bool cipherText);
    CipherInput(const CipherInput&) = delete;
    CipherInput& operator=(const CipherInput&) = delete;

    ByteSource& Source() { return *source_; }
    // The file read anywhere, when it is one and read as it stands.
    const PositionedSource* Positioned() const { return positioned_ ? &*positioned_ : nullptr; }
    CipherTextEncoding Encoding() const { return encoding_; }
    // What an output made from it takes over: nothing from a stream.
    NewFileTraits Traits(bool withTime) const { return traits_ && withTime ? *traits_ : Bits(); }

private:
    NewFileTraits Bits() const {
        return traits_ ? NewFileTraits{traits_->permissionBits, std::nullopt} : NewFileTraits{};
    }
    void Reencode(std::unique_ptr<ByteSource> afterMark);

    std::optional<ReadOnlyFile> file_;
    std::optional<FileSource> positioned_;
    std::optional<NewFileTraits> traits_;
    std::unique_ptr<ByteSource> raw_;
    std::unique_ptr<ByteSource> afterMark_;
    std::unique_ptr<ByteSource> source_;
    CipherTextEncoding encoding_ = CipherTextEncoding::Bytes;
};

// Whether the start of a plain text looks like text: among its first 64 KiB,
// at most 1 % control characters that text rarely holds (0-8, 14-31, 127).
// A wrong key deciphers to bytes that do not. Safe to feed from several
// threads at once.
class TextLikeness {
public:
    static constexpr std::uint64_t kLooked = 64u << 10;
    void See(std::uint64_t offset, const void* data, std::size_t size);
    bool LooksLikeText() const { return 100 * controls_.load() <= seen_.load(); }

private:
    std::atomic<std::uint64_t> seen_{0};
    std::atomic<std::uint64_t> controls_{0};
};

// What one pass through the cipher found.
struct PassReport {
    DecipherSummary deciphered;
    std::uint64_t reducedCodes = 0;  // codes above 255, each counted once
    std::uint64_t firstReduced = 0;  // the index of the first of them
    bool looksLikeText = true;
};

// Takes the input through the cipher into the output (their positioned
// faces, where both have one, let every worker read and write where its
// block lies). Raises ReadFailure and WriteFailure, and NoCipherText when
// deciphering finds not a single code, before anything is written.
PassReport RunPass(const CipherKernel& kernel, Options::Action action, const ConversionEnds& ends,
                   const StreamProgress& progress);

class NoCipherText : public ReadFailure {
public:
    NoCipherText() : ReadFailure(kPathFileAccessError, "it is no cipher text, not a code in it") {}
};

// The progress of a run on the terminal, when standard error is one and -q
// was not given; a run of many files counts all their bytes.
class RunProgress {
public:
    RunProgress(const Options& options, std::optional<std::uint64_t> total);
    // For the file whose bytes start `before` bytes into the run.
    StreamProgress From(std::uint64_t before);
    // Wipes the line, if one was shown.
    void Finish() { meter_.Finish(); }

private:
    bool shown_;
    ProgressMeter meter_;
};

// The warnings a pass deserves, each prefixed with `prefix` (a file's name
// and ": ", or nothing).
void WarnAbout(const PassReport& report, const std::string& prefix, Messages& messages);

}  // namespace ciphora
