#include "SourcesTestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace
{
using Result = sourcestest::CliResult;

Result LayerInfo(const QStringList& args) { return sourcestest::RunCli(QStringList{"layer-info"} + args); }

const QString kExamples = QStringLiteral(TESVANE_SOURCE_DIR "/examples/");
} // namespace

TEST(LayerInfoCli, DescribesTheExamplePointLayers)
{
    Result r = LayerInfo({kExamples + "points-jinggangao.dat"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "format: 5\nkind: CMapLayer_DAT\ncount: 42\n"
                     "extent: 3401275.1490 3404516.9710 498778.1700 502484.3020\ncoordinates: plane\n");
    // The database keeps the positions unrounded, and a hidden row that is not counted.
    r = LayerInfo({kExamples + "points-jinggangao.db"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("format: 9\nkind: CMapLayer_PD\ncount: 42\nextent: 3401275.1487 "));
    // The format can be forced.
    r = LayerInfo({kExamples + "points-jinggangao.dat", "--format", "9"});
    EXPECT_EQ(r.code, 2);
}

TEST(LayerInfoCli, ExplainsWhatItCannotOpen)
{
    QTemporaryDir dir;
    const QString missing = QDir(dir.path()).filePath("missing.db");
    Result r = LayerInfo({missing});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("cannot read")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
    r = LayerInfo({kExamples + "element-jinggangao.RE"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("--format")) << r.err.toStdString();
    r = LayerInfo({kExamples + "element-jinggangao.RE", "--format", "8"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.count('\n'), 1) << "one clear message";
}
