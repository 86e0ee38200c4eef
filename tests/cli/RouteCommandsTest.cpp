// Runs the command-line tool's route subcommands on a small route and checks their output,
// files and exit codes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "common/FileBytes.h"

namespace
{
struct ToolRun
{
    int code = -1;
    QString out, err;
};

ToolRun Tool(const QStringList& args, const QByteArray& input = QByteArray(), const QString& dir = QString())
{
    QProcess p;
    if (!dir.isEmpty()) p.setWorkingDirectory(dir);
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    if (!p.waitForStarted()) return {};
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Start point, a 200 m straight due north from station 1000, a right curve of radius 500 with
// 60 m transitions, and a last straight.
const QByteArray kRoute = "ROADNAME:cli test,\r\n"
                          "MELIAGE :1000,\r\n"
                          "ELEMENT :1,,3400000,500000,0,,0,0,0,0,\r\n"
                          "ELEMENT :2,,0,0,0,,0,200,0,0,\r\n"
                          "ELEMENT :4,,0,0,0,,0,60,0,0,\r\n"
                          "ELEMENT :3,,0,0,0,,0,100,500,0,\r\n"
                          "ELEMENT :4,,0,0,0,,0,60,0,0,\r\n"
                          "ELEMENT :2,,0,0,0,,0,150,0,0,\r\n";

class RouteCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        route = dir.filePath(QStringLiteral("road.RE"));
        ASSERT_TRUE(WriteBytes(route, kRoute));
    }
    QTemporaryDir dir;
    QString route;
};
} // namespace

TEST_F(RouteCommands, StakesWriteTheCurveFileAndTheStakeFile)
{
    const QString out = dir.filePath(QStringLiteral("s.dat"));
    ToolRun r = Tool({QStringLiteral("stakes"), route, out, QStringLiteral("--interval"), QStringLiteral("20")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(route + QStringLiteral(".TDFE")));
    const QByteArray bytes = ReadBytes(out);
    EXPECT_TRUE(bytes.startsWith("QD,3400000.0000,500000.0000,0.0000,1000.0000,360.0000000000\r\n1,3400020.0000,"))
        << bytes.left(100).constData();
    EXPECT_TRUE(bytes.contains("\r\nZH-01,3400200.0000,500000.0000,0.0000,1200.0000,"));
    EXPECT_TRUE(bytes.contains("\r\nZD,"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("points")));

    // Interval mode with an offset, options written with "=".
    r = Tool({QStringLiteral("stakes"), route, out, QStringLiteral("--interval=25"), QStringLiteral("--offset=-2"),
              QStringLiteral("--mode"), QStringLiteral("interval")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(ReadBytes(out).startsWith("QD,3400000.0000,499998.0000,0.0000,1000.0000,360.0000000000\r\n1,3400025.0000,499998.0000,"));

    // Validation of the file just written: everything OK, at the offset.
    r = Tool({QStringLiteral("validate"), route, out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(" OK, 0 failed"))) << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("_Validate.txt")));
    EXPECT_FALSE(r.err.contains(QStringLiteral("Finished")));
    ASSERT_TRUE(WriteBytes(out, ReadBytes(out) + "far,0,0,0,0,0\r\n"));
    r = Tool({QStringLiteral("validate"), route, out});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral(" OK, 1 failed"))) << r.out.toStdString();
}

TEST_F(RouteCommands, QueriesAnswerWithoutLeavingFiles)
{
    // Due north comes back as 360 degrees: the model reports bearings in (0, 360].
    ToolRun r = Tool({QStringLiteral("point"), route, QStringLiteral("1100"), QStringLiteral("--offset"), QStringLiteral("3")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("3400100.0000,500003.0000,360.00000000,360.0000"))) << r.out.toStdString();
    EXPECT_FALSE(QFile::exists(route + QStringLiteral(".TDFE")));

    r = Tool({QStringLiteral("locate"), route, QStringLiteral("3400100"), QStringLiteral("499996"),
              QStringLiteral("0"), QStringLiteral("0")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3400100.0000,499996.0000,1100.0000,-4.0000\n0.0000,0.0000,off\n"));

    r = Tool({QStringLiteral("locate"), route}, "3400050,500001\n\n3400150 , 500000\n");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3400050.0000,500001.0000,1050.0000,1.0000\n3400150.0000,500000.0000,1150.0000,0.0000\n"));
    r = Tool({QStringLiteral("locate"), route}, "3400050,500001\nnot a point\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 2"))) << r.err.toStdString();

    r = Tool({QStringLiteral("mainpoints"), route});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], QStringLiteral("QD,1000.0000,3400000.0000,500000.0000"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("ZH-01,1200.0000,")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("QZ-01,1310.0000,")));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("ZD,1570.0000,")));

    r = Tool({QStringLiteral("tdfe"), route});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(ReadBytes(route + QStringLiteral(".TDFE")).startsWith("CURVE FILE(RE) Ver1.0\r\n"));
}

TEST_F(RouteCommands, ErrorsNameTheFileAndSetTheExitCode)
{
    const QString out = dir.filePath(QStringLiteral("s.dat"));
    ToolRun r = Tool({QStringLiteral("stakes"), route, out, QStringLiteral("--interval"), QStringLiteral("0")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("间隔输入错误，请重新输入！")));
    EXPECT_FALSE(QFile::exists(out));

    r = Tool({QStringLiteral("stakes"), dir.filePath(QStringLiteral("missing.RE")), out});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("missing.RE")));
    r = Tool({QStringLiteral("mainpoints"), dir.filePath(QStringLiteral("road.txt"))});
    EXPECT_EQ(r.code, 2);
    r = Tool({QStringLiteral("stakes"), route, out, QStringLiteral("--mode"), QStringLiteral("odd")});
    EXPECT_EQ(r.code, 2);
    r = Tool({QStringLiteral("point"), route, QStringLiteral("5000")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("outside")));
    r = Tool({QStringLiteral("validate"), route, dir.filePath(QStringLiteral("none.dat"))});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("none.dat")));

    // A route whose last element is a curve: the element check's message, exit 1, no files.
    const QString bad = dir.filePath(QStringLiteral("bad.re"));
    ASSERT_TRUE(WriteBytes(bad, QByteArray(kRoute).replace("ELEMENT :2,,0,0,0,,0,150,0,0,\r\n", "")));
    r = Tool({QStringLiteral("stakes"), bad, out});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("最后元素必须为直线，请检查！"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("bad.re")));
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(bad + QStringLiteral(".TDFE")));

    for (const char* command : {"stakes", "tdfe", "point", "locate", "mainpoints", "validate"})
    {
        r = Tool({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("usage: tesvane ") + QString::fromLatin1(command))) << command;
    }
}

// A route that cannot be used is reported once: one line naming the file, what failed and the
// library's own reason.
TEST_F(RouteCommands, EachFailureIsReportedOnceWithTheFileAndTheReason)
{
    const QString bad = dir.filePath(QStringLiteral("bad.RE"));
    ASSERT_TRUE(WriteBytes(bad, QByteArray(kRoute).replace("ELEMENT :2,,0,0,0,,0,150,0,0,\r\n", "")));
    const QString reason = QString::fromUtf8("最后元素必须为直线，请检查！");
    for (const char* command : {"mainpoints", "tdfe"})
    {
        const ToolRun r = Tool({QString::fromLatin1(command), bad});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_EQ(r.err.count(reason), 1) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("tesvane: ") + bad + QStringLiteral(": "))) << r.err.toStdString();
    }

    // Too few crossing points: the conversion's reason, and no curve exchange file.
    const QString two = dir.filePath(QStringLiteral("two.RP"));
    ASSERT_TRUE(WriteBytes(two, "ROADNAME:two,\r\nCROSSPT :QD,3400000,500000,0,,0,0,0,0,\r\n"
                           "CROSSPT :ZD,3401000,500000,0,,0,0,0,0,\r\n"));
    const ToolRun r = Tool({QStringLiteral("tdfe"), two});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.count(QString::fromUtf8("交点必须大于3个！")), 1) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(two));
    EXPECT_FALSE(QFile::exists(two + QStringLiteral(".TDFE")));
}

TEST_F(RouteCommands, CurveTableForBothRouteModes)
{
    // One right curve, R 500 with 100 m transitions, at a crossing point 1000 m north of the start.
    const QString rp = dir.filePath(QStringLiteral("road.RP"));
    ASSERT_TRUE(WriteBytes(rp, "ROADNAME:cp,\r\n"
                               "CROSSPT :QD,3000000,500000,0,,0,0,0,12000,\r\n"
                               "CROSSPT :JD1,3001000,500000,0,,100,500,100,0,\r\n"
                               "CROSSPT :ZD,3001692.8203,500400,0,,0,0,0,0,\r\n"));
    const QString csv = dir.filePath(QStringLiteral("t.csv"));
    ToolRun r = Tool({QStringLiteral("curve-table"), rp, QStringLiteral("-o"), csv});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QByteArray bytes = ReadBytes(csv);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("JD1,K13+000.000,3001000.000,500000.000,30°00′00″,右,500.000,")))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(",K12+815.819,"))) << lines[2].toStdString(); // ZH = 13000 − T

    // An element route prints its elements; --metres gives plain stations; nothing is left behind.
    r = Tool({QStringLiteral("curve-table"), route, QStringLiteral("--metres")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.startsWith(QChar(0xFEFF)));
    const QStringList rows = r.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("1,直线,200.000,1000.000,1200.000,"))) << rows[1].toStdString();
    EXPECT_FALSE(QFile::exists(route + QStringLiteral(".TDFE")));

    r = Tool({QStringLiteral("curve-table"), dir.filePath(QStringLiteral("missing.RP"))});
    EXPECT_EQ(r.code, 2);
    r = Tool({QStringLiteral("curve-table"), rp, QStringLiteral("-o"), dir.filePath(QStringLiteral("no/such/dir/t.csv"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot write"))) << r.err.toStdString();
}
