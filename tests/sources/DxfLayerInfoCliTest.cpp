#include <gtest/gtest.h>

#include <QProcess>

TEST(DxfLayerInfoCli, DescribesTheExampleSiteSketch)
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH),
            {QStringLiteral("layer-info"), QStringLiteral(TESVANE_SOURCE_DIR "/examples/site-jinggangao.dxf")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // Format 3 chosen by the ending; the extent from the header, northing first; five layer
    // colours; primitives after the tree and bench blocks are expanded.
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              QStringLiteral("format: 3\nkind: CMapLayer_DXF\ncount: 42\n"
                             "extent: 3401180.0000 3401480.0000 498760.0000 499160.0000\ncolours: 5\nprimitives: 42\n"));
}
