#include "MapTestUtil.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

using maptest::CountColor;

namespace
{
struct Result
{
    int code = -1;
    QString out, err;
};

Result RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

const QString kExamples = QStringLiteral(TESVANE_SOURCE_DIR "/examples/");

// ThreadSanitizer cannot follow a process that starts threads after it has forked, and the
// command-line tool has no threads of interest to it anyway.
#if defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_TSAN() GTEST_SKIP() << "not under ThreadSanitizer"
#else
#define SKIP_UNDER_TSAN() (void)0
#endif
} // namespace

TEST(RenderCommand, DrawsAnExampleRouteAtFullExtent)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("ramp.png");
    const Result r = RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "640x480", "--labels", "names"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("640x480")) << r.out.toStdString();
    const QImage img(out);
    ASSERT_EQ(img.size(), QSize(640, 480));
    // White centre line, red labels, the blue north arrow, on black.
    EXPECT_GT(CountColor(img, 0xFFFFFF), 300);
    EXPECT_GT(CountColor(img, 0xFF0000), 100);
    EXPECT_GT(CountColor(img, 0x0000FF), 100);
    EXPECT_GT(CountColor(img, 0x000000), 640 * 480 * 9 / 10);
    // Full extent keeps a margin: nothing of the route in the outermost columns.
    EXPECT_EQ(CountColor(img, 0xFFFFFF, QRect(0, 0, 3, 400)), 0);
    // No curve exchange file is left beside the route.
    EXPECT_FALSE(QFile::exists(kExamples + "element-ramp.RE.TDFE"));
}

TEST(RenderCommand, RefusesBadArguments)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("x.png");
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "10x10"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "big"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--labels", "all"}).code, 2);
    EXPECT_EQ(RunCli({"render", dir.filePath("missing.RE"), out}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "README.md", out}).code, 2);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_NE(RunCli({"render", kExamples + "element-ramp.RE", dir.filePath("no/such/dir/x.png")}).code, 0);
}
