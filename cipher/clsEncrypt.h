#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CipherKey.h"
#include "SubstitutionTables.h"

namespace ciphora {

// Results of EncryptFile and DeEncryptFile. The output is replaced only on
// kFileDone; every other result leaves it as it was.
enum FileResult : std::int32_t {
    kFileDone = 0,
    kInputMissing = 1,
    kInputBlank = 2,  // also what an input that cannot be read gives
    kOutputNotSaved = 3,
    kKeyRefused = 4,
};

// The cipher engine: a key text, the substitution tables, a few stored values
// for the caller, and the figures of the last string operation.
class clsEncrypt {
public:
    // Built with the program's own tables, or with a set made by the table
    // generator.
    clsEncrypt();
    explicit clsEncrypt(const SubstitutionTables& tables);

    void Bbytes(std::int32_t vData) { bbytes_ = vData; }
    std::int32_t Bbytes() const { return bbytes_; }
    void Sseconds(std::int32_t vData) { sseconds_ = vData; }
    std::int32_t Sseconds() const { return sseconds_; }
    void StringLen(std::int32_t vData) { stringLen_ = vData; }
    std::int32_t StringLen() const { return stringLen_; }
    void SecsPerMeg(std::int32_t vData) { secsPerMeg_ = vData; }
    std::int32_t SecsPerMeg() const { return secsPerMeg_; }
    void StringOut(std::string vData) { stringOut_ = std::move(vData); }
    const std::string& StringOut() const { return stringOut_; }
    void StringIn(std::string vData) { stringIn_ = std::move(vData); }
    const std::string& StringIn() const { return stringIn_; }
    void FileNameIn(std::string vData) { fileNameIn_ = std::move(vData); }
    const std::string& FileNameIn() const { return fileNameIn_; }
    void FileNameOut(std::string vData) { fileNameOut_ = std::move(vData); }
    const std::string& FileNameOut() const { return fileNameOut_; }

    // Deciphers the cipher-text file FileNameIn into FileNameOut; a
    // FileResult.
    std::int32_t DeEncryptFile(const std::string& FileNameIn, const std::string& FileNameOut);
    // Enciphers the text file FileNameIn into FileNameOut; a FileResult.
    std::int32_t EncryptFile(const std::string& FileNameIn, const std::string& FileNameOut);

    void KKey(std::string vData) { kKey_ = std::move(vData); }
    const std::string& KKey() const { return kKey_; }

    // Deciphers cipher text in any line layout; empty when the key is refused.
    std::string DeEncryptString(std::string_view StringIn);
    // Enciphers a text into three-digit codes, twenty to a line; empty when
    // the key is refused.
    std::string EncryptString(std::string_view StringIn);

    const SubstitutionTables& Tables() const { return tables_; }

private:
    // Trims KKey and checks it; a refusal is logged and gives no key.
    std::optional<CipherKey> AcceptKey();
    enum class Direction { Encipher, Decipher };
    std::int32_t CipherFile(const std::string& in, const std::string& out, Direction direction);
    // Sets Sseconds, and SecsPerMeg when `characters` is not 0, for a run
    // that started at `started` on the monotonic clock.
    void RecordFigures(double started, double characters);

    std::string kKey_;
    std::string fileNameOut_;
    std::string fileNameIn_;
    std::string stringIn_;
    std::string stringOut_;
    SubstitutionTables tables_;
    std::int32_t secsPerMeg_ = 0;
    std::int32_t stringLen_ = 0;
    std::int32_t sseconds_ = 0;
    std::int32_t bbytes_ = 0;
};

// A count or figure as a 32-bit Long: rounded down, and held at the limits
// where it would not fit.
std::int32_t SaturatedLong(double value);

}  // namespace ciphora
