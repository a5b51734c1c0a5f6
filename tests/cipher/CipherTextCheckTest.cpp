#include <gtest/gtest.h>

#include <algorithm>

#include "cipher/CipherTextCheck.h"
#include "cipher/ReencodedCipherText.h"
#include "common/KeyedCipher.h"
#include "common/TestPlatform.h"

namespace ciphora {
namespace {

CipherTextCheck Checked(const std::string& text, std::size_t pieceSize) {
    CipherTextCheck check;
    for (std::size_t at = 0; at < text.size(); at += pieceSize)
        check.Feed(text.data() + at, std::min(pieceSize, text.size() - at));
    check.Finish();
    return check;
}

const std::string kLine = "100101102103104105106107108109110111112113114115116117118119\r\n";

TEST(CipherTextCheck, WhatTheCipherWritesIsSoundInPiecesOfAnySize) {
    for (const std::string& plain :
         {std::string(), std::string("x"), std::string(20, 'a'), std::string(41, 'b'), testing::RandomBytes(5000, 3)}) {
        const std::string cipher = testing::Enciphered(plain);
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
            const CipherTextCheck check = Checked(cipher, piece);
            EXPECT_TRUE(check.Sound()) << plain.size() << " bytes in pieces of " << piece;
            EXPECT_FALSE(check.FirstDeviation()) << check.FirstDeviation()->what;
            EXPECT_EQ(check.Codes(), plain.size());
        }
    }
}

TEST(CipherTextCheck, NamesTheFirstDeviationByLineAndColumn) {
    struct Case {
        std::string text;
        std::uint64_t line;
        std::uint64_t column;
        std::string what;
        std::uint64_t above255;
    };
    const Case cases[] = {
        {kLine + "10x\r\n", 2, 3, "a digit or CR LF expected", 0},
        {kLine + "100\n", 2, 4, "a line feed without a carriage return before it", 0},
        {"100\rx", 1, 5, "a line feed expected after the carriage return", 0},
        {"100\r", 1, 5, "a line feed expected after the carriage return", 0},
        {"10\r\n", 1, 3, "the code has 2 digit(s), not 3", 0},
        {"\r\n", 1, 1, "an empty line", 0},
        {"100101", 1, 7, "the last line is not ended by CR LF", 0},
        {"1001", 1, 5, "the text ends inside a code, after 1 digit(s)", 0},
        {kLine.substr(0, 60) + "1\r\n", 1, 61, "the line holds more than twenty codes", 0},
        {"100\r\n" + kLine, 1, 4, "a line before the last holds fewer than twenty codes", 0},
        {kLine + "100999\r\n300\r\n", 2, 4, "code 999 is above 255", 2},
    };
    for (const Case& damaged : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{1000}}) {
            const CipherTextCheck check = Checked(damaged.text, piece);
            ASSERT_TRUE(check.FirstDeviation()) << damaged.what;
            EXPECT_FALSE(check.Sound()) << damaged.what;
            EXPECT_EQ(check.FirstDeviation()->what, damaged.what);
            EXPECT_EQ(check.FirstDeviation()->line, damaged.line) << damaged.what;
            EXPECT_EQ(check.FirstDeviation()->column, damaged.column) << damaged.what;
            EXPECT_EQ(check.CodesAbove255(), damaged.above255) << damaged.what;
        }
    }
}

// Reads a source to its end in pieces of `pieceSize`.
std::string ReadAll(ByteSource& source, std::size_t pieceSize) {
    std::string all;
    std::string piece(pieceSize, '\0');
    while (const std::size_t got = source.Read(piece.data(), piece.size())) all.append(piece, 0, got);
    return all;
}

class StringSource : public ByteSource {
public:
    explicit StringSource(std::string text) : text_(std::move(text)) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t taken = std::min(size, text_.size() - at_);
        std::copy_n(text_.data() + at_, taken, static_cast<char*>(buffer));
        at_ += taken;
        return taken;
    }
    std::optional<std::uint64_t> Size() const override { return text_.size(); }

private:
    std::string text_;
    std::size_t at_ = 0;
};

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string units = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (const char c : ascii) units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return units;
}

TEST(ReencodedCipherText, GivesBackTheBytesTheCipherWrote) {
    const std::string cipher = testing::Enciphered("Dear Bob,\r\nall is well.\r\n");
    struct Case {
        std::string stored;
        CipherTextEncoding encoding;
        std::string name;
    };
    const Case cases[] = {
        {cipher, CipherTextEncoding::Bytes, "bytes"},
        {"\xef\xbb\xbf" + cipher, CipherTextEncoding::Utf8WithMark, "UTF-8 with a byte-order mark"},
        {Utf16(cipher, false), CipherTextEncoding::Utf16LittleEndian, "UTF-16LE with a byte-order mark"},
        {Utf16(cipher, true), CipherTextEncoding::Utf16BigEndian, "UTF-16BE with a byte-order mark"},
    };
    for (const Case& stored : cases) {
        ASSERT_EQ(EncodingOf(stored.stored.substr(0, 3)), stored.encoding) << stored.name;
        EXPECT_EQ(EncodingName(stored.encoding), stored.name);
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1 << 16}}) {
            StringSource afterMark(stored.stored.substr(MarkLength(stored.encoding)));
            ReencodedCipherText reencoded(afterMark, stored.encoding);
            EXPECT_EQ(ReadAll(reencoded, piece), cipher) << stored.name << " in pieces of " << piece;
        }
    }
}

TEST(ReencodedCipherText, AUnitOutsideAsciiBecomesAQuestionMark) {
    StringSource afterMark(
        std::string("1\0\xe4\0"
                    "2\0",
                    6));
    ReencodedCipherText reencoded(afterMark, CipherTextEncoding::Utf16LittleEndian);
    EXPECT_EQ(ReadAll(reencoded, 2), "1?2");
}

TEST(ReencodedCipherText, TooShortForAMarkIsPlainBytes) {
    for (const std::string first : {"", "1", "\xff", "\xef\xbb"})
        EXPECT_EQ(EncodingOf(first), CipherTextEncoding::Bytes);
}

}  // namespace
}  // namespace ciphora
