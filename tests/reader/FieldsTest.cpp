#include "ReaderFixture.h"
#include "reader/DateText.h"

namespace ciphora {
namespace {

using testing::ReaderTest;

TEST_F(ReaderTest, FieldsComeOffTheLineOneByOne) {
    reader.LineString("  x  \t\t  y  ");
    const std::pair<const char*, std::int32_t> fields[] = {{"x", 0}, {"", 0}, {"y", 0}, {"", -1}};
    for (auto [field, status] : fields) {
        EXPECT_EQ(reader.ReadNextField(), status);
        EXPECT_EQ(reader.FieldString(), field);
    }
    EXPECT_EQ(reader.IsEndOfLine(), 1);
}

TEST_F(ReaderTest, ALineWithoutDelimiterIsOneField) {
    reader.LineString("  whole line  ");
    EXPECT_EQ(reader.ReadNextField(), 0);
    EXPECT_EQ(reader.FieldString(), "whole line");
    EXPECT_EQ(reader.LineString(), "");
}

TEST_F(ReaderTest, DelimitersOfOddLengthsResumeOneCharacterOn) {
    reader.LineString("a;;b");
    reader.FieldDelimiter(";;");
    EXPECT_EQ(reader.ReadNextField(), 0);
    EXPECT_EQ(reader.FieldString(), "a");
    EXPECT_EQ(reader.LineString(), ";b");

    reader.LineString("abc");
    reader.FieldDelimiter("");
    EXPECT_EQ(reader.ReadNextField(), 0);
    EXPECT_EQ(reader.FieldString(), "");
    EXPECT_EQ(reader.LineString(), "bc");

    reader.LineString("abc;");
    reader.FieldDelimiter(";");
    EXPECT_EQ(reader.ReadNextField(), 0);
    EXPECT_EQ(reader.LineString(), "");
}

TEST_F(ReaderTest, StripLengthRemovesAValidCountOnly) {
    struct Case {
        std::string field;
        std::int32_t status;
        std::string after;
        std::string warning;  // empty: none
    };
    const std::string longDate = "2020-01-01" + std::string(2014, 'z');
    const Case cases[] = {
        {"5hello", 0, "hello", ""},
        {"212", 0, "12", "WARNING!: clsFileRead.StripLength-Possible try to striplen a Numeric!212->12"},
        {"12345", -1, "12345", ""},
        {"0abc", -1, "0abc", ""},
        {" 5hello", -1, " 5hello", ""},
        {"]^NULL^[", -1, "", ""},
        {"8]^NULL^[", 0, "", ""},
        {"10abcdefghi", 0, "abcdefghi", ""},
        {"9abcdefgh", -1, "9abcdefgh", ""},
        {"3abc  ", 0, "abc", ""},
        {"", -1, "", ""},
        {"12.10.2020abcd", 0, ".10.2020abcd",
         "WARNING!: clsFileRead.StripLength-Possible try to striplen a Date!12.10.2020abcd->.10.2020abcd"},
        {longDate, 0, std::string(longDate.substr(4)),
         "WARNING!: clsFileRead.StripLength-Possible try to striplen a Date!" + longDate + "->" + longDate.substr(4)},
    };
    for (const Case& c : cases) {
        testing::TestPlatform local;
        clsFileRead fresh;
        fresh.FieldString(c.field);
        EXPECT_EQ(fresh.StripLength(), c.status) << c.field.substr(0, 20);
        EXPECT_EQ(fresh.FieldString(), c.after) << c.field.substr(0, 20);
        EXPECT_EQ(local.LogMessages(),
                  c.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.warning})
            << c.field.substr(0, 20);
    }
}

TEST(LooksLikeDate, AcceptsTheUsualNumericForms) {
    const std::pair<const char*, bool> cases[] = {
        {"12.10.2020", true},   {"1/2/99", true},      {"2020-01-31", true},
        {"31.12.2020", true},   {"12-31-2020", true},  {"29.02.2024", true},
        {"29.02.2023", false},  {"32.01.2020", false}, {"12.10", false},
        {"12.10.2020x", false}, {"12.10-2020", false}, {"1.1.123", false},
        {"2020/13/01", false},  {"", false},
    };
    for (auto [text, date] : cases) EXPECT_EQ(LooksLikeDate(text), date) << text;
}

}  // namespace
}  // namespace ciphora
