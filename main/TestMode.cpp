#include "TestMode.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CipherPass.h"
#include "KeySource.h"
#include "cipher/CipherTextCheck.h"
#include "main/mdlMain.h"
#include "support/FileTree.h"
#include "support/Text.h"

namespace ciphora {

namespace {

// Shows every byte read through it to a check.
class CheckedSource : public ByteSource {
public:
    CheckedSource(ByteSource& source, CipherTextCheck& check) : source_(source), check_(check) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t got = source_.Read(buffer, size);
        check_.Feed(static_cast<const char*>(buffer), got);
        return got;
    }
    std::optional<std::uint64_t> Size() const override { return source_.Size(); }

private:
    ByteSource& source_;
    CipherTextCheck& check_;
};

class DiscardingSink : public ByteSink {
public:
    using ByteSink::Write;
    void Write(const void*, std::size_t) override {}
};

// The line that reports on a sound or unsound text.
std::string Report(const CipherTextCheck& check, CipherTextEncoding encoding,
                   const std::optional<bool>& looksLikeText) {
    std::string line;
    if (const auto& deviation = check.FirstDeviation()) {
        line = "not sound: line " + std::to_string(deviation->line) + ", column " + std::to_string(deviation->column) +
               ": " + deviation->what;
        if (check.CodesAbove255() > 0)
            line += "; " + std::to_string(check.CodesAbove255()) + " code(s) above 255 that deciphering reduces";
    } else {
        line = "sound cipher text, " + std::to_string(check.Codes()) + " code(s)";
    }
    if (encoding != CipherTextEncoding::Bytes) line += ", in " + EncodingName(encoding);
    if (looksLikeText)
        line += *looksLikeText ? "; deciphers to text" : "; deciphers to bytes that do not look like text: wrong key?";
    return line;
}

class Tester {
public:
    Tester(const Options& options, const std::optional<CipherKey>& key, Messages& messages)
        : options_(options), messages_(messages) {
        if (key) kernel_.emplace(DefaultSubstitutionTables(), *key);
    }

    void TestOperand(const std::string& path) {
        if (path != "-" && options_.recursive && LookAt(path, true).kind == PathKind::Folder) {
            WalkFolder(
                path,
                [this](const std::string& entry, PathInfo info) {
                    if (info.kind == PathKind::File && entry.ends_with(options_.suffix)) Test(entry);
                },
                [this](const std::string& folder, const RuntimeError& error) {
                    messages_.FileError(ShownName(folder), error.SystemText());
                    Fail(kExitDataError);
                });
            return;
        }
        Test(path);
    }
    int Status() const { return status_; }

private:
    void Fail(int status) {
        if (status_ == kExitDone) status_ = status;
    }

    void Test(const std::string& path) {
        const std::string name = path == "-" ? "standard input" : ShownName(path);
        CipherTextCheck check;
        std::optional<bool> looksLikeText;
        CipherTextEncoding encoding = CipherTextEncoding::Bytes;
        try {
            CipherInput input(path, true);
            encoding = input.Encoding();
            CheckedSource checked(input.Source(), check);
            if (kernel_) {
                DiscardingSink nowhere;
                try {
                    looksLikeText =
                        RunPass(*kernel_, Options::Action::Decipher, {checked, nullptr, nowhere, nullptr}, {})
                            .looksLikeText;
                } catch (const NoCipherText&) {
                    // The check tells why.
                }
            } else {
                std::vector<char> buffer(1u << 20);
                while (checked.Read(buffer.data(), buffer.size()) > 0) {
                }
            }
        } catch (const RuntimeError& error) {
            messages_.FileError(name, error.SystemText());
            Fail(error.Number() == kFileNotFound || error.Number() == kPathNotFound ? kExitNoInput : kExitDataError);
            return;
        }
        check.Finish();
        const std::string line = name + ": " + Report(check, encoding, looksLikeText) + "\n";
        static_cast<void>(std::fputs(line.c_str(), stdout));
        if (!check.Sound() || looksLikeText == false) Fail(kExitDataError);
    }

    const Options& options_;
    Messages& messages_;
    std::optional<CipherKernel> kernel_;
    int status_ = kExitDone;
};

}  // namespace

int RunTest(const Options& options, Messages& messages) {
    std::optional<CipherKey> key;
    if (KeyGiven(options)) {
        key = ObtainKey(options, messages, false);
        if (!key) return kExitUsage;
    }
    Tester tester(options, key, messages);
    if (options.inputs.empty()) tester.TestOperand("-");
    for (const std::string& operand : options.inputs) tester.TestOperand(operand);
    const bool shown = std::fflush(stdout) == 0;
    return shown ? tester.Status() : kExitCantCreate;
}

}  // namespace ciphora
