#include "geometry/Angle.h"
#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Angle;

namespace
{
double Dms(double d, double m, double s) { return d + m / 60.0 + s / 3600.0; }
} // namespace

TEST(Angle, ConstantsAndConversions)
{
    EXPECT_EQ(kPi, 3.14159265358979323846);
    EXPECT_EQ(kTwoPi, 2 * kPi);
    EXPECT_EQ(kHalfPi, kPi / 2);
    EXPECT_EQ(DegreesToRadians(180.0), kPi);
    EXPECT_EQ(RadiansToDegrees(kHalfPi), 90.0);
    // Computed as d·π/180, not d·(π/180): the two differ in the last bit for some values, and
    // stored files were written with the first.
    EXPECT_EQ(DegreesToRadians(33.3), 33.3 * kPi / 180.0);
}

TEST(Angle, BearingsAreBroughtIntoOneTurn)
{
    EXPECT_EQ(NormaliseBearing(-kHalfPi), 3 * kHalfPi);
    EXPECT_EQ(NormaliseBearing(kTwoPi), 0.0);
    EXPECT_NEAR(NormaliseBearing(1001 * kTwoPi + 1.0), 1.0, 1e-12);
    EXPECT_TRUE(std::isnan(NormaliseBearing(std::numeric_limits<double>::infinity())));

    // The elements' convention: due north is a full turn.
    EXPECT_EQ(WrapBearingFrom(0.0, 1e-5), kTwoPi);
    EXPECT_EQ(WrapBearingFrom(kTwoPi, 0.0), kTwoPi);
    EXPECT_EQ(WrapBearingFrom(0.0, 0.0), 0.0);
    EXPECT_NEAR(WrapBearingFrom(-7 * kTwoPi + 0.5, 1e-6), 0.5, 1e-12);
    EXPECT_NEAR(WrapBearingFrom(500.0, 0.0), std::fmod(500.0, kTwoPi), 1e-12);
    EXPECT_TRUE(std::isinf(WrapBearingFrom(std::numeric_limits<double>::infinity(), 0.0)));
}

TEST(Angle, TypedAndShownAnglesAgree)
{
    EXPECT_NEAR(PackedDmsToDegreesNudged(45.30155), Dms(45, 30, 15.5), 1e-10);
    EXPECT_EQ(DegreesToPackedDmsTextSnapped(Dms(45, 30, 15.5)), QStringLiteral("45.3015500000"));
    EXPECT_EQ(DegreesToPackedDmsTextSnapped(PackedDmsToDegreesNudged(45.30155)), QStringLiteral("45.3015500000"));
    EXPECT_NEAR(PackedDmsToDegreesNudged(90), 90.0, 1e-10);
    EXPECT_NEAR(PackedDmsToDegreesNudged(90.3), 90.5, 1e-10);
    EXPECT_NEAR(PackedDmsToDegreesNudged(-45.3), -45.5, 1e-10);
    EXPECT_EQ(PackedDmsToDegreesNudged(0), 0.0);
    // Seconds that round to 60 carry into the minutes and degrees.
    EXPECT_EQ(DegreesToPackedDmsTextSnapped(29.9999999999), QStringLiteral("30.0000000000"));
    EXPECT_EQ(DegreesToPackedDmsTextSnapped(-12.5), QStringLiteral("-12.3000000000"));
    // A tiny positive angle is not shown as negative.
    EXPECT_FALSE(DegreesToPackedDmsTextSnapped(0.00005).startsWith(QLatin1Char('-')));
    EXPECT_NEAR(RadiansToPackedDmsRounded12(DegreesToRadians(Dms(45, 30, 15.5))), 45.30155, 1e-11);
    EXPECT_NEAR(RadiansToPackedDmsRounded12(-kHalfPi), -90.0, 1e-10);
    EXPECT_EQ(RadiansToPackedDmsRounded12(0.0), 0.0);
}

// The packed conversions that feed files keep their own rounding; these values tell them apart.
TEST(Angle, NamedRoundingVariantsDiffer)
{
    // The nudged reading is a few 1e-12 degrees large; the plain one is not.
    EXPECT_GT(DegreesToRadians(PackedDmsToDegreesNudged(30.1530)), PackedDmsToRadians(30.1530));
    EXPECT_NEAR(PackedDmsToRadians(30.1530), DegreesToRadians(Dms(30, 15, 30)), 1e-15);
    // 0.99995″ is carried by the list's rule (0.9999″) but not by the stake file's (0.999999″).
    const double radians = DegreesToRadians(Dms(10, 20, 30.99995));
    EXPECT_EQ(FormatFixed(RadiansToPackedDmsRounded12(radians), 10), QStringLiteral("10.2031000000"));
    EXPECT_EQ(FormatFixed(RadiansToPackedDmsRounded10(radians), 10), QStringLiteral("10.2030999950"));
    // The command-line text rounds to the nearest 1e-5″ and carries.
    EXPECT_EQ(RadiansToPackedDmsText(DegreesToRadians(Dms(59, 59, 59.999996)), 5), QStringLiteral("60.000000000"));
    EXPECT_EQ(RadiansToPackedDmsText(-DegreesToRadians(Dms(1, 2, 3.25)), 5), QStringLiteral("-1.020325000"));
    EXPECT_EQ(RadiansToPackedDmsText(DegreesToRadians(Dms(1, 2, 3.6)), 0), QStringLiteral("1.0204"));
    EXPECT_EQ(RadiansToPackedDmsText(std::nan(""), 2), QStringLiteral("0.000000"));
}

TEST(Angle, TypedEntriesRefuseMinutesOrSecondsOfSixty)
{
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("45.75")).status, PackedDmsEntry::MinutesOutOfRange);
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("45.60")).status, PackedDmsEntry::MinutesOutOfRange);
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("-45.3060")).status, PackedDmsEntry::SecondsOutOfRange);
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("45.3075")).status, PackedDmsEntry::SecondsOutOfRange);
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("4x")).status, PackedDmsEntry::NotANumber);
    EXPECT_EQ(ReadPackedDmsEntry(QStringLiteral("nan")).status, PackedDmsEntry::NotANumber);
    for (const char* valid : {"45.5959999", "45.59", "45.3", "0.0059", "359.5959", " 12 "})
    {
        const PackedDmsEntry entry = ReadPackedDmsEntry(QString::fromLatin1(valid));
        EXPECT_EQ(entry.status, PackedDmsEntry::Valid) << valid;
        EXPECT_EQ(entry.degrees, PackedDmsToDegreesNudged(QString::fromLatin1(valid).trimmed().toDouble())) << valid;
    }
    const PackedDmsEntry blank = ReadPackedDmsEntry(QStringLiteral("  "));
    EXPECT_EQ(blank.status, PackedDmsEntry::Valid);
    EXPECT_EQ(blank.degrees, 0.0);
    EXPECT_EQ(CheckPackedDms(45.75), PackedDmsCheck::MinutesOutOfRange);
    EXPECT_EQ(CheckPackedDms(45.3), PackedDmsCheck::Valid);
}

TEST(Angle, PackedTextAsPeopleReadIt)
{
    EXPECT_EQ(PackedDmsTextReadable(QStringLiteral("45.3000000000")), QString::fromUtf8("45°30′00″"));
    EXPECT_EQ(PackedDmsTextReadable(QStringLiteral("45.3015500000")), QString::fromUtf8("45°30′15.5″"));
    EXPECT_EQ(PackedDmsTextReadable(QStringLiteral("-12.3")), QString::fromUtf8("-12°30′00″"));
    EXPECT_EQ(PackedDmsTextReadable(QStringLiteral("7")), QString::fromUtf8("7°00′00″"));
    EXPECT_EQ(PackedDmsTextReadable(QStringLiteral("0.000012")), QString::fromUtf8("0°00′00.12″"));
    EXPECT_TRUE(PackedDmsTextReadable(QStringLiteral("abc")).isEmpty());
    EXPECT_TRUE(PackedDmsTextReadable(QStringLiteral("1.2.3")).isEmpty());
    EXPECT_TRUE(PackedDmsTextReadable(QString()).isEmpty());
}
