#include <gtest/gtest.h>

#include <cmath>

#include "cipher/LenientNumber.h"

namespace ciphora {
namespace {

TEST(LenientNumber, ReadsTheNumberAtTheStart) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"007", 7},   {" 12", 12}, {"&HF", 15},    {"&hf", 15},   {"&O17", 15}, {"1E2", 100},
        {"1e2", 100}, {"ABC", 0},  {"-01", -1},    {"+5", 5},     {"1 2", 12},  {"1\t2\n3", 123},
        {"2.5", 2.5}, {".5", 0.5}, {"1.5.3", 1.5}, {"12A", 12},   {"", 0},      {"-", 0},
        {".", 0},     {"1E", 1},   {"1E+", 1},     {"2E-1", 0.2}, {"- 7", -7},  {"&H", 0},
        {"&HG", 0},   {"&O8", 0},  {"9E9", 9e9},   {"1\r2", 1},   {"&H1F", 31}, {"0x10", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(LenientNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(LenientNumber, ExponentsBeyondRangeAreInfiniteOrZero) {
    EXPECT_TRUE(std::isinf(LenientNumber("1E999")));
    EXPECT_EQ(LenientNumber("1E-999"), 0);
}

TEST(RoundToLong, RoundsHalfToEvenAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(RoundToLong(2.5), 2);
    EXPECT_EQ(RoundToLong(3.5), 4);
    EXPECT_EQ(RoundToLong(-0.5), 0);
    EXPECT_EQ(RoundToLong(254.6), 255);
    EXPECT_EQ(RoundToLong(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToLong(2147483647.6), std::nullopt);
    EXPECT_EQ(RoundToLong(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(RoundToLong(9e9), std::nullopt);
    EXPECT_EQ(RoundToLong(INFINITY), std::nullopt);
}

}  // namespace
}  // namespace ciphora
