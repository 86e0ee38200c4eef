#include "RoadDesignFixtures.h"

#include "platform/MessageSink.h"
#include "road/RouteText.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <cmath>

using namespace RoadFixtures;

namespace
{
struct StakeLine
{
    QString name;
    double x, y, h, station, packedBearing;
};

std::vector<StakeLine> ReadStakes(const QString& path)
{
    std::vector<StakeLine> lines;
    QString text;
    if (!ReadAnsiTextFile(path, text)) return lines;
    for (const QString& l : SplitTextLines(text))
    {
        const QStringList f = l.split(QLatin1Char(','));
        if (f.size() != 6) continue;
        lines.push_back({f[0], f[1].toDouble(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble(), f[5].toDouble()});
    }
    return lines;
}

std::vector<double> StakeStations(const std::vector<StakeLine>& lines)
{
    std::vector<double> s;
    for (const StakeLine& l : lines)
        if (!l.name.isEmpty() && l.name[0].isDigit()) s.push_back(l.station);
    return s;
}

// The first stake of a whole-station export as stake files have always placed it for integer
// intervals and non-negative starts.
double FormerFirstStake(double start, int interval)
{
    const int whole = static_cast<int>(start + 1e-12);
    return whole - whole % interval + interval;
}

CRoadDesign Loaded(CRoadDesign_Element route)
{
    CRoadDesign model;
    EXPECT_EQ(model.LoadRoadData(&route), 1);
    return model;
}
} // namespace

TEST(StakeExport, WholeAndIntervalStationsWithMainPoints)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    CRoadDesign model = Loaded(HighwayRoute(234.5));

    ASSERT_EQ(model.Export(path, 20, 0, 0), 1);
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    // Exact line format: every line ends with CR LF, numbers with a decimal point.
    EXPECT_TRUE(bytes.startsWith("QD,3400000.0000,500000.0000,0.0000,234.5000,35.3000000000\r\n")) << bytes.left(80).constData();
    EXPECT_TRUE(bytes.contains("\r\n1,"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));

    std::vector<StakeLine> lines = ReadStakes(path);
    std::vector<double> stakes = StakeStations(lines);
    ASSERT_GT(stakes.size(), 100u);
    EXPECT_EQ(stakes[0], 240.0);
    EXPECT_EQ(stakes[1], 260.0);
    for (size_t i = 1; i < stakes.size(); ++i) EXPECT_EQ(stakes[i] - stakes[i - 1], 20.0);
    // Stake numbers run on; main points appear where their stations fall, and the last line is ZD.
    EXPECT_EQ(lines[1].name, QStringLiteral("1"));
    EXPECT_EQ(lines.back().name, QStringLiteral("ZD"));
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].station, lines[i].station + 1e-9) << i;
    // The main points of the export are those of the model (QZ only where a stake follows it).
    for (const SurveyCoord& p : model.m_MainPoints)
    {
        if (p.name.startsWith(QLatin1String("QZ"))) continue;
        bool found = false;
        for (const StakeLine& l : lines) found |= l.name == p.name && std::fabs(l.station - p.note.toDouble()) < 1e-9;
        EXPECT_TRUE(found) << p.name.toStdString();
    }
    // The first straight ends at 554.5 and the first transition begins there: the stake at 540
    // belongs to the straight, then ZH-01 at 554.5 and the next stake 560.
    auto at = [&](const char* name) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].name == QLatin1String(name)) return i;
        return lines.size();
    };
    const size_t zh = at("ZH-01");
    ASSERT_LT(zh + 1, lines.size());
    EXPECT_EQ(lines[zh - 1].station, 540.0);
    EXPECT_EQ(lines[zh + 1].station, 560.0);

    ASSERT_EQ(model.Export(path, 20, 0, 1), 1);
    stakes = StakeStations(ReadStakes(path));
    EXPECT_EQ(stakes[0], 254.5);
    EXPECT_EQ(stakes[1], 274.5);
}

TEST(StakeExport, AStakeOnAnElementEndBelongsToItAndTheNextMainPointFollows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    CRoadDesign_Element route;
    route.m_StartMileage = 100;
    route.m_Elements = {Point(0, 0), Line(100, 0), Spiral(50), Arc(100, 500), Spiral(50), Line(100)};
    CRoadDesign model = Loaded(route);
    ASSERT_EQ(model.Export(path, 50, 0, 0), 1);
    std::vector<StakeLine> lines = ReadStakes(path);
    QStringList names;
    for (const StakeLine& l : lines) names << l.name + QLatin1Char('@') + QString::number(l.station);
    // The curve middle (300) falls on a stake: no QZ line.
    EXPECT_EQ(names, QStringList({"QD@100", "1@150", "2@200", "ZH-01@200", "3@250", "HY-01@250", "4@300",
                                  "5@350", "YH-01@350", "6@400", "HZ-01@400", "7@450", "8@500", "ZD@500"}));
}

TEST(StakeExport, CurveMiddleOnlyBeforeAStakeOfTheSameCurve)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    CRoadDesign_Element route;
    route.m_Elements = {Point(0, 0), Line(100, 0), Arc(60, 400), Line(100), Arc(30, -400), Line(100)};
    CRoadDesign model = Loaded(route);
    ASSERT_EQ(model.Export(path, 20, 0, 0), 1);
    QStringList names;
    for (const StakeLine& l : ReadStakes(path)) names << l.name + QLatin1Char('@') + QString::number(l.station);
    // First curve 100–160, middle 130: written before the stake at 140. Second curve 260–290,
    // middle 275, written before the stake at 280.
    EXPECT_TRUE(names.contains(QStringLiteral("QZ-01@130")));
    EXPECT_LT(names.indexOf(QStringLiteral("QZ-01@130")), names.indexOf(QStringLiteral("7@140")));
    EXPECT_TRUE(names.contains(QStringLiteral("QZ-02@275")));

    // With stakes every 100 m no stake of either curve follows its middle: no QZ lines, and the
    // next curve is still numbered by its place among the curves.
    ASSERT_EQ(model.Export(path, 100, 0, 0), 1);
    names.clear();
    for (const StakeLine& l : ReadStakes(path)) names << l.name;
    EXPECT_FALSE(names.contains(QStringLiteral("QZ-01")));
    EXPECT_FALSE(names.contains(QStringLiteral("QZ-02")));
    ASSERT_EQ(model.Export(path, 10, 0, 1), 1); // from 0: stakes 110, 120, ... 280, 290
    names.clear();
    for (const StakeLine& l : ReadStakes(path)) names << l.name + QLatin1Char('@') + QString::number(l.station);
    EXPECT_FALSE(names.contains(QStringLiteral("QZ-01@130"))); // on a stake
    EXPECT_TRUE(names.contains(QStringLiteral("QZ-02@275")));
}

TEST(StakeExport, OffsetsLieToTheRightAndBearingsArePacked)
{
    QTemporaryDir dir;
    const QString centre = dir.filePath(QStringLiteral("c.dat"));
    const QString side = dir.filePath(QStringLiteral("r.dat"));
    CRoadDesign model = Loaded(HighwayRoute());
    ASSERT_EQ(model.Export(centre, 25, 0, 0), 1);
    ASSERT_EQ(model.Export(side, 25, 3.5, 0), 1);
    const std::vector<StakeLine> c = ReadStakes(centre), r = ReadStakes(side);
    ASSERT_EQ(c.size(), r.size());
    for (size_t i = 0; i < c.size(); ++i)
    {
        ASSERT_EQ(c[i].station, r[i].station);
        const double bearing = CRoadDesign::RAD(c[i].packedBearing, 1);
        // 4 decimals in the file.
        EXPECT_NEAR(r[i].x - c[i].x, -3.5 * std::sin(bearing), 2e-4) << i;
        EXPECT_NEAR(r[i].y - c[i].y, 3.5 * std::cos(bearing), 2e-4) << i;
        double x = 0, y = 0, b = 0;
        ASSERT_EQ(model.GetAngleAndXY(c[i].station, x, y, b, 0), 1);
        EXPECT_NEAR(c[i].x, x, 6e-5);
        EXPECT_NEAR(CRoadDesign::RAD(b, 0), c[i].packedBearing, 1e-9);
    }
}

TEST(StakeExport, IntegerIntervalsKeepTheirStationsAndOthersUseTheirOwnMultiples)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    for (double start : {0.0, 0.5, 19.999999999, 20.0, 234.5, 1000.0, 12345.678, 99999.9999})
    {
        CRoadDesign model = Loaded(HighwayRoute(start));
        for (int interval : {1, 5, 20, 50, 100, 1000})
        {
            ASSERT_EQ(model.Export(path, interval, 0, 0), 1);
            const std::vector<double> stakes = StakeStations(ReadStakes(path));
            ASSERT_FALSE(stakes.empty());
            EXPECT_EQ(stakes.front(), FormerFirstStake(start, interval)) << start << " / " << interval;
        }
        for (double interval : {12.5, 0.5, 0.25, 7.5})
        {
            ASSERT_EQ(model.Export(path, interval, 0, 0), 1);
            const std::vector<double> stakes = StakeStations(ReadStakes(path));
            ASSERT_FALSE(stakes.empty());
            EXPECT_GT(stakes.front(), start);
            EXPECT_LE(stakes.front(), start + interval);
            for (double s : {stakes.front(), stakes[stakes.size() / 2], stakes.back()})
                EXPECT_NEAR(std::remainder(s, interval), 0.0, 1e-6) << s << " / " << interval;
        }
    }
    // Before station 0 the stakes are the multiples too (-220 is the first after -234.5).
    CRoadDesign negative = Loaded(HighwayRoute(-234.5));
    ASSERT_EQ(negative.Export(path, 20, 0, 0), 1);
    EXPECT_EQ(StakeStations(ReadStakes(path)).front(), -220.0);
}

TEST(StakeExport, RefusedIntervalsAndPathsWriteNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    CRoadDesign model = Loaded(HighwayRoute());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous");
    }
    for (double interval : {0.0, -20.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-9})
        EXPECT_EQ(model.Export(path, interval, 0, 0), 0) << interval;
    EXPECT_EQ(model.Export(path, 20, std::nan(""), 0), 0);
    EXPECT_EQ(model.Export(QString(), 20, 0, 0), 0);
    EXPECT_EQ(model.Export(dir.filePath(QStringLiteral("no/such/folder/s.dat")), 20, 0, 0), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("previous"));

    CRoadDesign empty;
    EXPECT_EQ(empty.Export(path, 20, 0, 0), 0);
    // Far from station 0 a tiny interval cannot advance the running station.
    CRoadDesign far = Loaded(HighwayRoute(1e17));
    EXPECT_EQ(far.Export(path, 1.0, 0, 1), 0);
}

TEST(StakeExport, ValidationReportsEveryLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    CRoadDesign model = Loaded(HighwayRoute(1000));
    ASSERT_EQ(model.Export(path, 10, -2.5, 0), 1);
    // Add a point far from the route and lines the report skips.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("far,0,0,0,5,0\r\nabc\r\n1,2,3,4\r\n");
    f.close();

    MessageHandler previous = SetMessageHandler([](const QString& t, const QString&, MessageKind k) {
        EXPECT_EQ(t, QStringLiteral("Validate Calculate Finished!"));
        EXPECT_EQ(k, MessageKind::Information);
        return MessageAnswer::Ok;
    });
    ASSERT_EQ(model.ValidateCalculate(path), 1);
    SetMessageHandler(previous);
    QString report;
    ASSERT_TRUE(ReadAnsiTextFile(path + QStringLiteral("_Validate.txt"), report));
    const QStringList lines = SplitTextLines(report);
    const size_t exported = ReadStakes(path).size() - 1;
    ASSERT_EQ(static_cast<size_t>(lines.size()), exported + 1);
    const QRegularExpression ok(QStringLiteral(
        "^(.{80,})--CalOK--Meliage:<(\\S+)\\s*-(\\S+)\\s*>=\\s*(\\S+)--OffsetDistance:\\s*(\\S+),$"));
    for (int i = 0; i < lines.size() - 1; ++i)
    {
        const QRegularExpressionMatch m = ok.match(lines[i]);
        ASSERT_TRUE(m.hasMatch()) << lines[i].toStdString();
        EXPECT_NEAR(m.captured(4).toDouble(), 0.0, 1e-4);
        EXPECT_NEAR(m.captured(5).toDouble(), -2.5, 2e-4);
    }
    EXPECT_EQ(lines.back(), QStringLiteral("far,0,0,0,5,0--CalFailed,"));
    EXPECT_TRUE(report.endsWith(QStringLiteral("\r\n")));
    // The exact layout of one OK line.
    QString stakeText;
    ASSERT_TRUE(ReadAnsiTextFile(path, stakeText));
    const QString first = SplitTextLines(stakeText).front();
    EXPECT_TRUE(lines[0].startsWith(first.leftJustified(80) + QStringLiteral("--CalOK--Meliage:<1000.0000 -1000.0000 >=")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("0.0000--OffsetDistance:   -2.5000,"))) << lines[0].toStdString();

    // Every line is checked, beyond the hundred thousand a report used to stop at.
    QString big;
    for (int i = 0; i < 100005; ++i) big += QStringLiteral("p,3400000,500000,0,1000,0\r\n");
    ASSERT_TRUE(WriteAnsiTextFile(path, big));
    MessageHandler quiet = SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    ASSERT_EQ(model.ValidateCalculate(path), 1);
    SetMessageHandler(quiet);
    ASSERT_TRUE(ReadAnsiTextFile(path + QStringLiteral("_Validate.txt"), report));
    EXPECT_EQ(SplitTextLines(report).size(), 100005);
    EXPECT_EQ(model.ValidateCalculate(dir.filePath(QStringLiteral("missing.dat"))), 0);
}

// The stake walk is what the file holds: the same records in the same order, the numbered stakes
// as interval stakes and the station text exactly as written.
TEST(StakeExport, TheWalkYieldsTheLinesOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.dat"));
    const CRoadDesign model = Loaded(HighwayRoute(234.5));
    for (int mode : {0, 1})
    {
        CRoadDesign copy = model;
        ASSERT_EQ(copy.Export(path, 12.5, -3.25, mode), 1);
        QString text;
        ASSERT_TRUE(ReadAnsiTextFile(path, text));
        const QStringList lines = SplitTextLines(text);
        std::vector<RoadCoordinate> records;
        EXPECT_EQ(model.Stakes(12.5, -3.25, mode, [&records](const RoadCoordinate& r) { records.push_back(r); }),
                  StakeWalk::Complete);
        ASSERT_EQ(records.size(), static_cast<size_t>(lines.size()));
        for (size_t i = 0; i < records.size(); ++i)
        {
            const RoadCoordinate& r = records[i];
            const QStringList f = lines[static_cast<qsizetype>(i)].split(QLatin1Char(','));
            ASSERT_EQ(f.size(), 6);
            EXPECT_EQ(r.name, f[0]);
            EXPECT_EQ(r.type, r.name.at(0).isDigit() ? 2 : 0) << r.name.toStdString();
            EXPECT_NEAR(r.x, f[1].toDouble(), 5e-5);
            EXPECT_NEAR(r.y, f[2].toDouble(), 5e-5);
            EXPECT_EQ(r.h, 0.0);
            EXPECT_EQ(r.note, f[4]);
            EXPECT_NEAR(r.mileage, f[4].toDouble(), 5e-5);
            EXPECT_NEAR(CRoadDesign::RAD(r.azimuth, 0), f[5].toDouble(), 1e-9);
        }
    }

    // Refused walks yield nothing; an interrupted one yields what the file then holds.
    int yielded = 0;
    const auto count = [&yielded](const RoadCoordinate&) { ++yielded; };
    EXPECT_EQ(model.Stakes(0.0, 0, 0, count), StakeWalk::Refused);
    EXPECT_EQ(model.Stakes(20, std::nan(""), 0, count), StakeWalk::Refused);
    EXPECT_EQ(CRoadDesign().Stakes(20, 0, 0, count), StakeWalk::Refused);
    EXPECT_EQ(yielded, 0);
    CRoadDesign far = Loaded(HighwayRoute(1e17));
    EXPECT_EQ(far.Stakes(1.0, 0, 1, count), StakeWalk::Interrupted);
    EXPECT_EQ(far.Export(path, 1.0, 0, 1), 0);
    QString partial;
    ASSERT_TRUE(ReadAnsiTextFile(path, partial));
    EXPECT_EQ(yielded, partial.count(QLatin1Char('\n')));
}
