#include "CipherPass.h"

#include "support/Platform.h"
#include "support/Terminal.h"

namespace ciphora {

namespace {

bool RareInText(unsigned char byte) { return byte <= 8 || (byte >= 14 && byte <= 31) || byte == 127; }

// Sinks that show the plain text to a TextLikeness on its way out.
template <typename Sink>
class Looking : public Sink {
public:
    Looking(Sink& sink, TextLikeness& likeness) : sink_(sink), likeness_(likeness) {}
    using ByteSink::Write;
    void Write(const void* data, std::size_t size) override {
        likeness_.See(written_, data, size);
        written_ += size;
        sink_.Write(data, size);
    }

protected:
    Sink& sink_;
    TextLikeness& likeness_;

private:
    std::uint64_t written_ = 0;
};

using LookingSink = Looking<ByteSink>;

class LookingPositionedSink final : public Looking<PositionedSink> {
public:
    using Looking::Looking;
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        likeness_.See(offset, data, size);
        sink_.WriteAt(offset, data, size);
    }
};

// A mark is at most three bytes; a stream gives them up only once.
std::string FirstBytes(ByteSource& source) {
    std::string first(3, '\0');
    first.resize(source.Read(first.data(), first.size()));
    return first;
}

}  // namespace

CipherInput::CipherInput(const std::string& path, bool cipherText) {
    SystemFile opened = path == "-" ? SystemFile::StandardInput() : SystemFile::OpenForReading(path);
    if (opened.IsOrdinary()) {
        // Standard input is nobody's file to take after, even when it is one.
        if (path != "-") traits_ = opened.Traits(true);
        file_.emplace(std::move(opened));
        source_ = std::make_unique<FileInOrder>(*file_);
        if (cipherText) {
            std::string first(3, '\0');
            first.resize(FileSource(*file_).ReadAt(0, first.data(), first.size()));
            encoding_ = EncodingOf(first);
        }
        // Cipher text as the cipher wrote it keeps its file, and all cores.
        if (encoding_ == CipherTextEncoding::Bytes) {
            positioned_.emplace(*file_);
            return;
        }
        Reencode(std::make_unique<FileInOrder>(*file_, MarkLength(encoding_)));
        return;
    }
    raw_ = std::make_unique<StreamSource>(std::move(opened));
    if (!cipherText) {
        source_ = std::move(raw_);
        return;
    }
    std::string first = FirstBytes(*raw_);
    encoding_ = EncodingOf(first);
    auto peeked = std::make_unique<PeekedSource>(first.substr(MarkLength(encoding_)), *raw_);
    if (encoding_ == CipherTextEncoding::Bytes)
        source_ = std::move(peeked);
    else
        Reencode(std::move(peeked));
}

void CipherInput::Reencode(std::unique_ptr<ByteSource> afterMark) {
    afterMark_ = std::move(afterMark);
    source_ = std::make_unique<ReencodedCipherText>(*afterMark_, encoding_);
}

void TextLikeness::See(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset >= kLooked) return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t looked = static_cast<std::size_t>(std::min<std::uint64_t>(size, kLooked - offset));
    std::uint64_t controls = 0;
    for (std::size_t i = 0; i < looked; ++i) controls += RareInText(bytes[i]) ? 1 : 0;
    seen_ += looked;
    controls_ += controls;
}

PassReport RunPass(const CipherKernel& kernel, Options::Action action, const ConversionEnds& ends,
                   const StreamProgress& progress) {
    PassReport report;
    if (action == Options::Action::Encipher) {
        WithEnds(ends, [&](auto& input, auto& output) { return EncipherStream(kernel, input, output, progress); });
        return report;
    }
    std::uint64_t lastReduced = 0;
    const auto tally = [&](int, std::uint64_t index) {
        if (report.reducedCodes > 0 && index == lastReduced) return;
        if (report.reducedCodes++ == 0) report.firstReduced = index;
        lastReduced = index;
    };
    TextLikeness likeness;
    LookingSink looking(ends.sink, likeness);
    std::optional<LookingPositionedSink> lookingPositioned;
    if (ends.positionedSink != nullptr) lookingPositioned.emplace(*ends.positionedSink, likeness);
    const ConversionEnds looked{ends.source, ends.positionedSource, looking,
                                lookingPositioned ? &*lookingPositioned : nullptr};
    report.deciphered = WithEnds(
        looked, [&](auto& input, auto& output) { return DecipherStream(kernel, input, output, tally, progress); });
    // Not a single code: an empty plain text would only lose a file.
    if (report.deciphered.plainLength == 0 && report.deciphered.cipherLength > 0) throw NoCipherText();
    report.looksLikeText = likeness.LooksLikeText();
    return report;
}

RunProgress::RunProgress(const Options& options, std::optional<std::uint64_t> total)
    : shown_(!options.quiet && Terminal::StandardErrorIsTerminal()),
      meter_(
          total, [] { return CurrentPlatform().MonotonicSeconds(); }, ShowOnStandardError,
          Terminal::StandardErrorColumns) {}

StreamProgress RunProgress::From(std::uint64_t before) {
    if (!shown_) return {};
    return [this, before](std::uint64_t done) {
        meter_.Update(before + done);
        // Ctrl-C leaves no progress line behind either.
        Terminal::SetWipeOnInterrupt(meter_.Wipe());
    };
}

void WarnAbout(const PassReport& report, const std::string& prefix, Messages& messages) {
    if (report.deciphered.unfinishedDigits > 0)
        messages.Warning(prefix + "the cipher text ends inside a code, after " +
                         std::to_string(report.deciphered.unfinishedDigits) + " of its 3 digits");
    if (report.reducedCodes > 0)
        messages.Warning(prefix + std::to_string(report.reducedCodes) +
                         " code(s) above 255 reduced by 256, the first of them code " +
                         std::to_string(report.firstReduced));
    if (!report.looksLikeText)
        messages.Warning(prefix + "the deciphered text does not look like text; the key may be wrong");
}

}  // namespace ciphora
