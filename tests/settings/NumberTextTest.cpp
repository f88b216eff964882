#include <gtest/gtest.h>

#include <limits>

#include "settings/NumberText.h"

namespace {

struct FormatCase {
    double value;
    const char* text;
};

TEST(NumberText, FormatRealRoundsToTenSignificantDigitsThenWritesTenDecimals) {
    const FormatCase cases[] = {
        {12.5, "12.5000000000"},
        {78.74015748, "78.7401574800"},
        {1234567.123456789, "1234567.1230000000"},
        {0.123456789012345, "0.1234567890"},
        {2.0 / 3.0, "0.6666666667"},
        {9.99999999996, "10.0000000000"},
        {0.0123456789012, "0.0123456789"},
        {1.5e-6, "0.0000015000"},
        {1e20, "100000000000000000000.0000000000"},
        {12345678901234.0, "12345678900000.0000000000"},
        {-5, "-5.0000000000"},
        {-0.1, "-0.1000000000"},
        {0, "0.0000000000"},
        {-0.0, "0.0000000000"},
        {1e-11, "0.0000000000"},
        {-1e-11, "0.0000000000"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(FormatReal(c.value), QString::fromLatin1(c.text)) << c.value;
    }
}

// Ten digits rounded up would pass the largest double and read back as no number at all.
TEST(NumberText, FormatRealOfTheLargestDoublesReadsBack) {
    for (const double value :
         {std::numeric_limits<double>::max(), -1.7976931347e308, 1.79769313e308}) {
        const std::optional<double> read = ParseReal(FormatReal(value));
        ASSERT_TRUE(read.has_value()) << value;
        EXPECT_EQ(FormatReal(*read), FormatReal(value)) << value;
        EXPECT_NEAR(*read / value, 1, 1e-9) << value;
    }
}

TEST(NumberText, FormatFixedNeverWritesNegativeZero) {
    EXPECT_EQ(FormatFixed(-0.0001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFixed(-0.006, 2), QStringLiteral("-0.01"));
    EXPECT_EQ(FormatFixed(3.14159, 3), QStringLiteral("3.142"));
}

struct ParseRealCase {
    const char* text;
    std::optional<double> value;
};

TEST(NumberText, ParseRealAcceptsPlainAndExponentNotationOnly) {
    const ParseRealCase cases[] = {
        {" 2.5 ", 2.5},
        {"-3", -3.0},
        {"1e3", 1000.0},
        {"+4", 4.0},
        {".5", 0.5},
        {"78.7401574800", 78.74015748},
        {"1,5", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"inf", std::nullopt},
        {"-inf", std::nullopt},
        {"nan", std::nullopt},
        {"1e999", std::nullopt},
        {"1.5x", std::nullopt},
        {"0x10", std::nullopt},
        {"+-1", std::nullopt},
        {"--1", std::nullopt},
        {"2.5\u00b0", std::nullopt},
    };
    for (const ParseRealCase& c : cases) {
        EXPECT_EQ(ParseReal(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
    }
}

struct ParseIntegerCase {
    const char* text;
    std::optional<int> value;
};

TEST(NumberText, ParseIntegerAcceptsOnlyDecimalDigitsInRange) {
    const ParseIntegerCase cases[] = {
        {"42", 42},
        {" -7 ", -7},
        {"+3", 3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2.0", std::nullopt},
        {"", std::nullopt},
        {"99999999999", std::nullopt},
        {"2147483648", std::nullopt},
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
        {"abc", std::nullopt},
        {"+-1", std::nullopt},
        {"+", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const ParseIntegerCase& c : cases) {
        EXPECT_EQ(ParseInteger(QString::fromLatin1(c.text)), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
