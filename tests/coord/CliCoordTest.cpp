// The project, convert and fit subcommands of the command-line tool.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct Result
{
    int code = -1;
    QString out, err;
};

Result RunCli(const QStringList& args, const QByteArray& input = QByteArray())
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString Example(const char* name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/coord/") + QLatin1String(name); }
} // namespace

TEST(CliCoord, ProjectForwardAndInverse)
{
    // On the central meridian at the equator: the false easting exactly.
    Result r = RunCli({"project", "--central-meridian", "117"}, "0 117\n");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("0.0000 500000.0000\n"));
    r = RunCli({"project", "--cs", Example("beijing54_114.xml")}, "30.5 115.25\n");
    ASSERT_EQ(r.code, 0);
    const QStringList xy = r.out.split(' ');
    Result back = RunCli({"project", "--cs", Example("beijing54_114.xml"), "--inverse"}, r.out.toUtf8());
    ASSERT_EQ(back.code, 0);
    const QStringList bl = back.out.trimmed().split(' ');
    EXPECT_NEAR(bl[0].toDouble(), 30.5, 1e-8);
    EXPECT_NEAR(bl[1].toDouble(), 115.25, 1e-8);
    r = RunCli({"project"}, "30 114\nnorth east\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 2"))) << r.err.toStdString();
    EXPECT_EQ(RunCli({"project", "--type", "x"}).code, 2);
}

TEST(CliCoord, ConvertAndFitReproduceTheControlPoints)
{
    // The control table was made by converting its B L H through local_survey.xml.
    Result r = RunCli({"convert", "--cs", Example("local_survey.xml")}, "30.12 113.85 45.2\n");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3333475.2036 485470.1394 76.0680\n"));
    Result back = RunCli({"convert", "--cs", Example("local_survey.xml"), "--inverse"}, r.out.toUtf8());
    ASSERT_EQ(back.code, 0);
    EXPECT_TRUE(back.out.startsWith(QStringLiteral("30.1200000"))) << back.out.toStdString();

    QTemporaryDir dir;
    const QString out = dir.filePath("result.xml");
    r = RunCli({"fit", Example("control.csv"), "--cs", Example("beijing54_114.xml"), "--method", "seven", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("K7 0.0000 ")) || r.out.contains(QStringLiteral("K7 0.0001 ")));
    Result check = RunCli({"convert", "--cs", out}, "30.12 113.85 45.2\n");
    const QStringList v = check.out.trimmed().split(' ');
    ASSERT_EQ(v.size(), 3);
    EXPECT_NEAR(v[0].toDouble(), 3333475.2036, 0.002);
    EXPECT_NEAR(v[1].toDouble(), 485470.1394, 0.002);
    EXPECT_NEAR(v[2].toDouble(), 76.0680, 0.002);

    for (const char* method : {"plane-height", "shift"})
    {
        r = RunCli({"fit", Example("control.csv"), "--cs", Example("beijing54_114.xml"), "--method", method, "-o", out});
        EXPECT_EQ(r.code, 0) << method << r.err.toStdString();
    }
}

TEST(CliCoord, FitReportsBadRowsWithTheirLine)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath("c.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("label,x,y,h,B,L,H,use-plane,use-height\nA,1,2,3,30.1,114.1,5,1,1\nB,1,two,3,30.1,114.1,5,1,1\n");
    f.close();
    Result r = RunCli({"fit", csv, "--cs", Example("beijing54_114.xml"), "--method", "shift", "-o", dir.filePath("o.xml")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 3: y \"two\" is not a number"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("o.xml")));
    r = RunCli({"fit", csv, "--cs", Example("beijing54_114.xml"), "--method", "guess", "-o", dir.filePath("o.xml")});
    EXPECT_EQ(r.code, 2);
}
