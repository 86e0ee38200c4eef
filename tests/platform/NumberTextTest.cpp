#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

TEST(NumberText, NumbersAreReadLikeCButNeverNaNAndNotLocaleDependent)
{
    EXPECT_DOUBLE_EQ(LeadingNumber("12.5,rest"), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("  -3.25e2x"), -325.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("+7."), 7.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e"), 1.0);
    EXPECT_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_EQ(LeadingNumber(""), 0.0);
    EXPECT_EQ(LeadingNumber("nan"), 0.0);
    EXPECT_EQ(LeadingNumber("inf"), 0.0);
    EXPECT_EQ(LeadingNumber("1e999"), 0.0);
    EXPECT_EQ(LeadingNumber(QString::fromUtf8("中12")), 0.0);
    // Configuration files put values on lines of their own.
    EXPECT_DOUBLE_EQ(LeadingNumber("\n\t 6378137.0\r\n"), 6378137.0);

    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    {
        EXPECT_DOUBLE_EQ(LeadingNumber("12.5"), 12.5);
        EXPECT_EQ(FormatFixed(12.5, 2), QStringLiteral("12.50"));
        std::setlocale(LC_NUMERIC, saved.c_str());
    }

    EXPECT_EQ(LeadingInteger("4,x"), 4);
    EXPECT_EQ(LeadingInteger("-2"), -2);
    EXPECT_EQ(LeadingInteger(" 12.7"), 12);
    EXPECT_EQ(LeadingInteger("x"), 0);
    EXPECT_EQ(LeadingInteger("99999999999999"), 0);
}

// One overflow rule for every reader: a value beyond its type reads as 0, like "nan" and text
// that is not a number; callers that keep their old value on such text can tell it apart.
TEST(NumberText, OutOfRangeReadsAsZeroAndIsReportedAsNotFinite)
{
    double v = 7.0;
    EXPECT_EQ(ReadLeadingNumber("1e999", v), LeadingNumberStatus::NotFinite);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(ReadLeadingNumber("-1e400x", v), LeadingNumberStatus::NotFinite);
    EXPECT_EQ(ReadLeadingNumber(" -Infinity", v), LeadingNumberStatus::NotFinite);
    EXPECT_EQ(ReadLeadingNumber("NaN", v), LeadingNumberStatus::NotFinite);
    EXPECT_EQ(ReadLeadingNumber("12345678901234567890e300", v), LeadingNumberStatus::NotFinite);
    // Too small is C's underflow: a number, 0.
    EXPECT_EQ(ReadLeadingNumber("1e-400", v), LeadingNumberStatus::Number);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(ReadLeadingNumber("0.00001e-320", v), LeadingNumberStatus::Number);
    EXPECT_EQ(ReadLeadingNumber("abc", v), LeadingNumberStatus::NoNumber);
    EXPECT_EQ(ReadLeadingNumber("1.7976931348623157e308", v), LeadingNumberStatus::Number);
    EXPECT_EQ(v, std::numeric_limits<double>::max());

    EXPECT_EQ(LeadingInteger("2147483647"), 2147483647);
    EXPECT_EQ(LeadingInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(LeadingInteger("2147483648"), 0);
    EXPECT_EQ(LeadingInteger64("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(LeadingInteger64("9223372036854775808"), 0);
    EXPECT_EQ(LeadingInteger64("99999999999999999999999"), 0);
}

TEST(NumberText, FilesNeverGetMinusZeroOrNaN)
{
    EXPECT_EQ(FormatFixed(-0.0, 3), QStringLiteral("0.000"));
    EXPECT_EQ(FormatFixed(-0.0004, 3), QStringLiteral("0.000"));
    EXPECT_EQ(FormatFixed(-0.0005001, 3), QStringLiteral("-0.001"));
    EXPECT_EQ(FormatFixed(-12.5, 0), QStringLiteral("-12"));
    EXPECT_EQ(FormatFixed(std::nan(""), 4), QStringLiteral("0.0000"));
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFixed(1e300, 1).size(), 303);

    std::string out;
    AppendFixedAsPrintf(out, std::nan(""), 4);
    out += ',';
    AppendFixedAsPrintf(out, std::numeric_limits<double>::infinity(), 10);
    EXPECT_EQ(out, "0.0000,0.0000000000");
}

// Stake files are formatted without printf; the digits must be printf's, also for values next to
// a half of the last digit and for exact halves (rounded to even), and including the sign of a
// value that rounds to zero, which stake files have always carried.
TEST(NumberText, StakeNumbersAreFormattedExactlyAsPrintfWould)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> coordinate(-4e6, 4e6), unit(0, 1);
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, 0.00005, -0.00005, 0.25, 1e-300, -1e-7, 359.99999999995,
                                  3400000.00005, 4.5e11, 5e11, 1e300, -1e300, 123456789.123456789};
    for (int i = 0; i < 200000; ++i)
    {
        values.push_back(coordinate(rng));
        values.push_back(std::round(coordinate(rng) * 2e4) / 2e4 + (i % 3 - 1) * 1e-12); // next to halves
        values.push_back(360 * unit(rng));
        values.push_back(std::round(360 * unit(rng) * 2e10) / 2e10);
    }
    for (double v : values)
        for (int decimals : {4, 10, 12})
        {
            std::string fast;
            AppendFixedAsPrintf(fast, v, decimals);
            char c[400];
            std::snprintf(c, sizeof c, "%.*f", decimals, v); // the tests run in the C locale
            ASSERT_EQ(fast, std::string(c)) << std::hexfloat << v;
        }
}

TEST(NumberText, ColoursAreSigned32BitDecimals)
{
    EXPECT_EQ(ColorValueFromText("-1"), 0xFFFFFFFFul);
    EXPECT_EQ(ColorValueFromText("4294967295"), 0xFFFFFFFFul);
    EXPECT_EQ(ColorValueFromText("255"), 255ul);
    EXPECT_EQ(ColorValueText(0xFFFFFFFFul), QStringLiteral("-1"));
    EXPECT_EQ(ColorValueText(0x00FF8000ul), QStringLiteral("16744448"));
}
