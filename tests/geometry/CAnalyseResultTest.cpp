#include "geometry/CAnalyseResult.h"

#include <gtest/gtest.h>

TEST(CAnalyseResult, FieldsAndRowsByIndex)
{
    CAnalyseResult table;
    table.AddField(4, QString::fromUtf8("名称"));
    table.AddField(2, "AREA");
    EXPECT_EQ(table.GetFieldCount(), 2);
    EXPECT_EQ(table.GetFieldType(1), 2);
    EXPECT_EQ(table.GetFieldType(-1), -1);
    EXPECT_EQ(table.GetFieldType(2), -1);

    auto* row = new CResultData;
    row->AddFieldValue(QString::fromUtf8("一号地块"));
    row->AddFieldValue("12.5");
    table.AddResultData(row);
    table.AddResultData(nullptr); // ignored
    EXPECT_EQ(table.GetResultDataCount(), 1);
    EXPECT_EQ(table.GetResultData(0), row);
    EXPECT_EQ(table.GetResultData(1), nullptr);
    EXPECT_EQ(table.GetResultData(-1), nullptr);
    EXPECT_EQ(row->GetDataFieldValue(0), QString::fromUtf8("一号地块"));
    EXPECT_TRUE(row->GetDataFieldValue(2).isEmpty());

    table.Clear();
    EXPECT_EQ(table.GetFieldCount(), 0);
    EXPECT_EQ(table.GetResultDataCount(), 0);
}

TEST(CResultData, PartsStartWhereFlagged)
{
    CResultData row;
    for (int i = 0; i < 10; ++i) row.AddPoint(xyhCoord{double(i), 0, 0}, i == 0 || i == 5 ? 1 : 0);
    ASSERT_EQ(row.GetPartStarts().size(), 2u);
    EXPECT_EQ(row.GetPartStarts()[0], 0u);
    EXPECT_EQ(row.GetPartStarts()[1], 5u);
    EXPECT_EQ(row.GetPoint(7).x, 7.0);
    EXPECT_EQ(row.GetPoint(10).x, 0.0);

    CResultData noFirstPart;
    noFirstPart.AddPoint(xyhCoord{1, 2, 3}, 0);
    EXPECT_TRUE(noFirstPart.GetPartStarts().empty());
}
