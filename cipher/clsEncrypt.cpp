#include "clsEncrypt.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "CipherKernel.h"
#include "CipherText.h"
#include "CipherTextDecoder.h"
#include "support/Platform.h"
#include "support/Text.h"
#include "support/mdlFWriteLog.h"

namespace ciphora {

namespace {

// Enciphering hands control to the event loop whenever its staging block of
// 1000 lines overflows: after 20,020 characters and every 20,000 after that.
constexpr std::uint64_t kFirstYieldAt = 20020;
constexpr std::uint64_t kYieldEvery = 20000;

void LogReduction(int code) { FWriteLog("lngascii>255" + std::to_string(code), ""); }

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
    std::string cipherText(CipherTextSize(count), '\0');
    Byte* out = reinterpret_cast<Byte*>(cipherText.data());
    std::uint64_t done = 0;
    for (std::uint64_t yieldAt = kFirstYieldAt; yieldAt <= count; yieldAt += kYieldEvery) {
        out = kernel.Encipher(Bytes(StringIn) + done, yieldAt - done, done, out);
        done = yieldAt;
        DoEvents();
    }
    out = kernel.Encipher(Bytes(StringIn) + done, count - done, done, out);
    if (count % kCodesPerLine != 0) {
        *out++ = '\r';
        *out++ = '\n';
    }
    RecordFigures(started, static_cast<double>(count));
    return cipherText;
}

std::string clsEncrypt::DeEncryptString(std::string_view StringIn) {
    const std::optional<CipherKey> key = AcceptKey();
    if (!key) return {};
    const double started = CurrentPlatform().MonotonicSeconds();
    const std::uint64_t length = StringIn.size();
    stringLen_ = SaturatedLong(static_cast<double>(length / kDigitsPerCode));

    const CipherKernel kernel(tables_, *key);
    CipherTextDecoder decoder(kernel, length, LogReduction);
    std::string plain;
    plain.reserve(length / kDigitsPerCode);
    decoder.Feed(Bytes(StringIn), StringIn.size(), plain);
    decoder.Finish(plain);
    RecordFigures(started, static_cast<double>(length) / kDigitsPerCode);
    return plain;
}

}  // namespace ciphora
