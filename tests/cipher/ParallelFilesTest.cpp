#include <gtest/gtest.h>

#include <mutex>

#include "cipher/BlockTrust.h"
#include "cipher/FileStreams.h"
#include "cipher/SubstitutionTables.h"
#include "cipher/clsEncrypt.h"
#include "common/KeyedCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::TestPlatform;
using testing::WriteFile;

// Files large enough to be split across the workers.
constexpr std::size_t kLarge = 12u << 20;

class ParallelFilesTest : public ::testing::Test {
protected:
    ParallelFilesTest() { cipher.KKey(testing::kTestKey); }

    std::string Path(const std::string& name) const { return platform.directory.File(name); }

    // Deciphers `text` as a file and as a string; both results and both logs
    // must be the same.
    void ExpectDecipheredAsString(const std::string& text) {
        WriteFile(Path("output.txt"), text);
        ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("input.txt")), kFileDone);
        const std::string fileLog = platform.Log();
        std::filesystem::remove(Path("VbAppErrorLog.txt"));
        EXPECT_EQ(ReadFile(Path("input.txt")), cipher.DeEncryptString(text));
        EXPECT_EQ(fileLog, platform.Log());
        std::filesystem::remove(Path("VbAppErrorLog.txt"));
    }

    TestPlatform platform;
    clsEncrypt cipher;
};

TEST_F(ParallelFilesTest, LargeFilesGiveTheSingleThreadResult) {
    const std::string plain = RandomBytes(kLarge + 7, 1);
    WriteFile(Path("input.txt"), plain);
    ASSERT_EQ(cipher.EncryptFile(Path("input.txt"), Path("output.txt")), kFileDone);
    const std::string cipherText = ReadFile(Path("output.txt"));
    ASSERT_EQ(cipherText, cipher.EncryptString(plain));
    ASSERT_EQ(cipher.DeEncryptFile(Path("output.txt"), Path("back.txt")), kFileDone);
    EXPECT_EQ(ReadFile(Path("back.txt")), plain);
    EXPECT_EQ(platform.Log(), "");
}

TEST_F(ParallelFilesTest, ADeviationInTheMiddleIsReadDigitByDigitFromThere) {
    const std::string canonical = cipher.EncryptString(RandomBytes(kLarge / 3, 2));
    const std::size_t middle = canonical.size() / 2 / 62 * 62;
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"short line", canonical.substr(0, middle) + "123\r\n" + canonical.substr(middle)},
        {"code above 255", canonical.substr(0, middle) + "777" + canonical.substr(middle + 3)},
        {"reduced codes in two blocks", std::string(canonical).replace(70, 3, "256").replace(middle + 62, 3, "999")},
        {"stray digits at the end", canonical + "42"},
        {"a code above 255 in the last block only", std::string(canonical).replace(canonical.size() - 40, 3, "300")},
        {"a short last line in the last block only", canonical.substr(0, canonical.size() - 8) + "\r\n"},
        {"no line breaks",
         [&] {
             std::string text = canonical.substr(0, 9u << 20);
             std::erase(text, '\r');
             std::erase(text, '\n');
             return text;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectDecipheredAsString(c.text);
    }
}

// Stand-ins for a file read anywhere and an output written anywhere, which
// drive the form of the conversions that workers read and write in.
class MemorySource : public PositionedSource {
public:
    explicit MemorySource(std::string bytes, std::uint64_t failAt = ~std::uint64_t{0})
        : bytes_(std::move(bytes)), failAt_(failAt) {}
    std::uint64_t Length() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const override {
        if (offset <= failAt_ && failAt_ < offset + size) throw ReadFailure(kDeviceIoError, "bad sector");
        const std::size_t got = std::min<std::size_t>(size, bytes_.size() - offset);
        std::copy_n(bytes_.data() + offset, got, static_cast<char*>(buffer));
        return got;
    }

private:
    std::string bytes_;
    std::uint64_t failAt_;
};

class MemorySink : public PositionedSink {
public:
    explicit MemorySink(std::uint64_t failAt = ~std::uint64_t{0}) : failAt_(failAt) {}
    using ByteSink::Write;
    void Write(const void* data, std::size_t size) override { WriteAt(inOrder_, data, size); }
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        if (offset <= failAt_ && failAt_ < offset + size) throw WriteFailure(kDiskFull, "disk full");
        const std::lock_guard lock(mutex_);
        if (bytes_.size() < offset + size) bytes_.resize(offset + size, '\0');
        std::copy_n(static_cast<const char*>(data), size, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
        inOrder_ = offset + size;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::mutex mutex_;
    std::string bytes_;
    std::uint64_t inOrder_ = 0;
    std::uint64_t failAt_;
};

class StandInEndsTest : public ParallelFilesTest {
protected:
    StandInEndsTest() : kernel(DefaultSubstitutionTables(), *ReadCommandLineKey(testing::kTestKey)) {}
    CipherKernel kernel;
};

TEST_F(StandInEndsTest, PositionedEndsGiveTheStringResults) {
    const std::string plain = RandomBytes(kLarge + 11, 3);
    const MemorySource plainSource(plain);
    MemorySink cipherSink;
    EXPECT_EQ(EncipherStream(kernel, plainSource, cipherSink), plain.size());
    ASSERT_EQ(cipherSink.Bytes(), cipher.EncryptString(plain));

    const std::string canonical = cipherSink.Bytes();
    const std::size_t middle = canonical.size() / 2 / kLineLength * kLineLength;
    for (const std::string& text : {canonical, canonical.substr(0, middle) + "123\r\n" + canonical.substr(middle),
                                    std::string(canonical).replace(middle + 62, 3, "999")}) {
        using Reductions = std::vector<std::pair<int, std::uint64_t>>;
        Reductions expected;
        CipherTextDecoder onePass(kernel, [&](int code, std::uint64_t index) { expected.emplace_back(code, index); });
        std::string expectedPlain;
        onePass.Feed(reinterpret_cast<const Byte*>(text.data()), text.size(), expectedPlain);
        onePass.Finish(expectedPlain, text.size());

        const MemorySource source(text);
        MemorySink sink;
        Reductions reductions;
        const DecipherSummary summary = DecipherStream(
            kernel, source, sink, [&](int code, std::uint64_t index) { reductions.emplace_back(code, index); });
        EXPECT_EQ(sink.Bytes(), expectedPlain);
        EXPECT_EQ(reductions, expected);
        EXPECT_EQ(summary.cipherLength, text.size());
        EXPECT_EQ(summary.plainLength, sink.Bytes().size());
    }
}

TEST_F(StandInEndsTest, AFailureInAnyBlockReachesTheCaller) {
    const std::string plain = RandomBytes(kLarge, 4);
    const std::string text = cipher.EncryptString(plain);
    for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{kLarge / 2}, std::uint64_t{kLarge - 1}}) {
        SCOPED_TRACE(at);
        MemorySink sink;
        EXPECT_THROW(EncipherStream(kernel, MemorySource(plain, at), sink), ReadFailure);
        EXPECT_THROW(DecipherStream(kernel, MemorySource(text, at), sink, {}), ReadFailure);
        MemorySink fullAt(at);
        EXPECT_THROW(EncipherStream(kernel, MemorySource(plain), fullAt), WriteFailure);
        EXPECT_THROW(DecipherStream(kernel, MemorySource(text), fullAt, {}), WriteFailure);
    }
}

// Which worker results stand for the single pass, by what the worker found
// and whether its block is the last.
TEST(BlockTrust, OnlyCanonicalUnreportedBlocksStandExceptThatNothingFollowsTheLast) {
    struct Case {
        bool canonical, reduced, last, stands;
    };
    const Case cases[] = {
        {true, false, false, true},   {true, false, true, true},  // canonical, nothing to report
        {false, false, true, true},                               // the last may deviate: nothing follows it
        {false, false, false, false},                             // the next block's first index is unknown
        {true, true, false, false},   {true, true, true, false},  // reports must come in order
        {false, true, false, false},  {false, true, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(block_trust::Stands({c.canonical, c.reduced}, c.last), c.stands)
            << "canonical " << c.canonical << ", reduced " << c.reduced << ", last " << c.last;
}

TEST(BlockTrust, CanonicalLinesHoldTwentyCodesEach) {
    EXPECT_EQ(block_trust::CodesBeforeCanonical(0), 0u);
    EXPECT_EQ(block_trust::CodesBeforeCanonical(kLineLength), kCodesPerLine);
    EXPECT_EQ(block_trust::CodesBeforeCanonical(std::uint64_t{kLineLength} * 16912 * 1000), 20u * 16912 * 1000);
}

}  // namespace
}  // namespace ciphora
