#include "clsEncrypt.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "CipherKernel.h"
#include "CipherText.h"
#include "CipherTextDecoder.h"
#include "EncipherYields.h"
#include "FileStreams.h"
#include "support/LargeMemory.h"
#include "support/OutputFile.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"
#include "support/mdlFileExist.h"

namespace ciphora {

namespace {

void LogReduction(int code, std::uint64_t) { FWriteLog("lngascii>255" + std::to_string(code), ""); }

FileResult LoadFailed(const std::string& in) {
    FWriteLog("Error loading file to RichTextBox: " + in, "");
    return kInputBlank;
}

FileResult SaveFailed(const std::string& out) {
    FWriteLog("Error saving file from RichTextBox: " + out, "");
    return kOutputNotSaved;
}

const Byte* Bytes(std::string_view text) { return reinterpret_cast<const Byte*>(text.data()); }

}  // namespace

std::int32_t SaturatedLong(double value) {
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<std::int32_t>(std::clamp(std::floor(value), lowest, highest));
}

clsEncrypt::clsEncrypt() : clsEncrypt(DefaultSubstitutionTables()) {}

clsEncrypt::clsEncrypt(const SubstitutionTables& tables) : tables_(tables) {}

std::optional<CipherKey> clsEncrypt::AcceptKey() {
    kKey_ = std::string(TrimBlanks(kKey_));
    KeyCheck check = CheckKey(kKey_);
    if (!check.key) FWriteLog(check.refusal, "");
    return check.key;
}

void clsEncrypt::RecordFigures(double started, double characters) {
    const double elapsed = CurrentPlatform().MonotonicSeconds() - started;
    sseconds_ = SaturatedLong(elapsed);
    if (characters != 0) secsPerMeg_ = SaturatedLong(elapsed * 1000000.0 / characters);
}

std::string clsEncrypt::EncryptString(std::string_view StringIn) {
    const std::optional<CipherKey> key = AcceptKey();
    if (!key) return {};
    const double started = CurrentPlatform().MonotonicSeconds();
    const std::uint64_t count = StringIn.size();
    stringLen_ = SaturatedLong(static_cast<double>(count));

    const CipherKernel kernel(tables_, *key);
    std::string cipherText;
    ReserveLargeString(cipherText, CipherTextSize(count));
    // Each piece between two yields goes through a small buffer that stays
    // in the cache, so the text itself is written once.
    std::vector<Byte> piece(LargestSpanCipherSize(EncipherYields::kFirst));
    std::uint64_t done = 0;
    const auto encipherUpTo = [&](std::uint64_t end) {
        const Byte* pieceEnd = kernel.Encipher(Bytes(StringIn) + done, end - done, done, piece.data());
        cipherText.append(reinterpret_cast<const char*>(piece.data()), pieceEnd - piece.data());
        done = end;
    };
    for (EncipherYields yields; yields.Next() <= count; yields.After(done)) encipherUpTo(yields.Next());
    encipherUpTo(count);
    if (count % kCodesPerLine != 0) cipherText += "\r\n";
    RecordFigures(started, static_cast<double>(count));
    return cipherText;
}

std::string clsEncrypt::DeEncryptString(std::string_view StringIn) {
    const std::optional<CipherKey> key = AcceptKey();
    if (!key) return {};
    const double started = CurrentPlatform().MonotonicSeconds();
    const std::uint64_t length = StringIn.size();
    const std::uint64_t wholeCodes = length / kDigitsPerCode;  // rounded down, line breaks counted
    stringLen_ = SaturatedLong(static_cast<double>(wholeCodes));

    const CipherKernel kernel(tables_, *key);
    CipherTextDecoder decoder(kernel, LogReduction);
    std::string plain;
    ReserveLargeString(plain, length / kDigitsPerCode + 1);
    decoder.Feed(Bytes(StringIn), StringIn.size(), plain);
    decoder.Finish(plain, length);
    RecordFigures(started, static_cast<double>(length) / kDigitsPerCode);
    return plain;
}

std::int32_t clsEncrypt::EncryptFile(const std::string& FileNameIn, const std::string& FileNameOut) {
    return CipherFile(FileNameIn, FileNameOut, Direction::Encipher);
}

std::int32_t clsEncrypt::DeEncryptFile(const std::string& FileNameIn, const std::string& FileNameOut) {
    return CipherFile(FileNameIn, FileNameOut, Direction::Decipher);
}

std::int32_t clsEncrypt::CipherFile(const std::string& in, const std::string& out, Direction direction) {
    if (FileExist(in) == 0) {
        FWriteLog("input file does not exist!: " + in, "");
        return kInputMissing;
    }
    try {
        const ReadOnlyFile input(in);
        if (IsBlankFile(input)) return LoadFailed(in);
        const std::optional<CipherKey> key = AcceptKey();
        if (!key) return kKeyRefused;

        OutputFile output(out);
        const CipherKernel kernel(tables_, *key);
        const double started = CurrentPlatform().MonotonicSeconds();
        const auto length = static_cast<double>(input.Size());
        const FileSource positioned(input);
        FileInOrder inOrder(input);
        const ConversionEnds ends{inOrder, &positioned, output.Sink(), output.Positioned()};
        if (direction == Direction::Encipher) {
            WithEnds(ends, [&](auto& from, auto& to) { return EncipherStream(kernel, from, to); });
            stringLen_ = SaturatedLong(length);
            RecordFigures(started, length);
        } else {
            const DecipherSummary deciphered =
                WithEnds(ends, [&](auto& from, auto& to) { return DecipherStream(kernel, from, to, LogReduction); });
            stringLen_ = SaturatedLong(std::floor(length / kDigitsPerCode));
            RecordFigures(started, length / kDigitsPerCode);
            // A text without a single code is no cipher text, and an empty
            // plain text in its place would lose the file.
            if (deciphered.plainLength == 0) return LoadFailed(in);
        }
        output.Commit();
    } catch (const ReadFailure&) {
        return LoadFailed(in);
    } catch (const WriteFailure&) {
        return SaveFailed(out);
    }
    if (FileExist(out) == 0) return SaveFailed(out);
    return kFileDone;
}

}  // namespace ciphora
