#include "EntityDbUtil.h"

#include "map/CMapConvert.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace entitytest;

namespace
{
template <class T> T Shape(std::initializer_list<xyhCoord> points)
{
    T item;
    for (const xyhCoord& p : points) item.AddPoint(p);
    return item;
}

// A site in grid coordinates of millions of metres, shown at 1 m a pixel in a 200 x 100 view
// whose bottom left corner is world (x0, y0).
constexpr double kX0 = 3401000, kY0 = 498000;

struct Site
{
    Site()
    {
        path = dir.filePath(QStringLiteral("site.db"));
        {
            EntityDbWriter w(path);
            w.AddClass(QStringLiteral("点"), 0, QStringLiteral("名"));
            w.AddClass(QStringLiteral("线"), 1);
            w.AddClass(QStringLiteral("面"), 2);
            w.AddEntity(QStringLiteral("点"), QStringLiteral("P1"), {{kX0 + 50, kY0 + 20}});
            w.AddEntity(QStringLiteral("线"), QStringLiteral("L1"), {{kX0 + 10, kY0 + 100}, {kX0 + 90, kY0 + 100}, {kX0 + 90, kY0 + 110}});
            w.AddEntity(QStringLiteral("面"), QStringLiteral("S1"),
                        {{kX0 + 20, kY0 + 140}, {kX0 + 80, kY0 + 140}, {kX0 + 80, kY0 + 190}, {kX0 + 20, kY0 + 190}});
            // Known to EntityTable but skipped at load as a part identifier; added at run time.
            w.AddEntityRow(QStringLiteral("点"), QStringLiteral("P_2"), {QStringLiteral("二")});
        }
        convert.SetClientRect(CRect(0, 0, 200, 100));
        convert.SetStartCor({kX0, kY0, 0});
        convert.SetScale(1.0);
        gcd.SetConvert(&convert);
        EXPECT_EQ(OpenAndLoad(gcd, path), 1);
    }
    CPoint Client(double x, double y) const
    {
        CPoint c;
        convert.WorldToClient({kX0 + x, kY0 + y, 0}, c);
        return c;
    }
    int Click(double x, double y, int dx = 0, int dy = 0)
    {
        CPoint c = Client(x, y);
        c.x += dx;
        c.y += dy;
        return gcd.SelectEntity(c, c);
    }
    bool Selected(const QString& cls, const QString& id) const { return gcd.GetEntityData(cls, id)->m_Selected; }

    QTemporaryDir dir;
    QString path;
    CMapConvert convert;
    CMap_GCD gcd;
};
} // namespace

TEST(EntityItems, LengthAreaAndLabelPositionsAgreeWithHandComputedValues)
{
    auto line = Shape<CLineData>({{0, 0, 0}, {3, 4, 0}, {3, 10, 0}});
    EXPECT_DOUBLE_EQ(line.GetLength(), 5 + 6);
    EXPECT_DOUBLE_EQ(line.GetLabelPosition().x, 3); // 5.5 along: 0.5 into the second side
    EXPECT_DOUBLE_EQ(line.GetLabelPosition().y, 4.5);
    EXPECT_EQ(line.m_MinX, 0);
    EXPECT_EQ(line.m_MaxY, 10);

    // A plane closes itself: perimeter 2 x (10 + 20), area 200, centroid in the middle, also at
    // grid coordinates of millions of metres.
    auto plane = Shape<CPlaneData>({{kX0, kY0, 0}, {kX0, kY0 + 10, 0}, {kX0 + 20, kY0 + 10, 0}, {kX0 + 20, kY0, 0}});
    EXPECT_DOUBLE_EQ(plane.GetLength(), 60);
    EXPECT_NEAR(plane.GetArea(), 200, 1e-6);
    EXPECT_NEAR(plane.GetLabelPosition().x, kX0 + 10, 1e-6);
    EXPECT_NEAR(plane.GetLabelPosition().y, kY0 + 5, 1e-6);
    auto triangle = Shape<CPlaneData>({{0, 0, 0}, {4, 0, 0}, {0, 3, 0}});
    EXPECT_DOUBLE_EQ(triangle.GetLength(), 12);
    EXPECT_DOUBLE_EQ(triangle.GetArea(), 6);

    // Removing a position updates length, area and extent.
    ASSERT_TRUE(plane.RemovePoint(2));
    EXPECT_NEAR(plane.GetArea(), 100, 1e-6);
    EXPECT_NEAR(plane.GetLength(), 10 + std::hypot(20.0, 10.0) + 20, 1e-6);
    EXPECT_EQ(plane.m_MaxY, kY0 + 10);
    EXPECT_EQ(plane.m_MaxX, kX0 + 20);
    EXPECT_FALSE(plane.RemovePoint(3));
    EXPECT_FALSE(plane.RemovePoint(-1));
}

TEST(EntityItems, PlaneSelectionPolygonTests)
{
    auto plane = Shape<CPlaneData>({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}});
    auto square = [](double x, double y, double h) {
        return std::vector<xyhCoord>{{x, y, 0}, {x + h, y, 0}, {x + h, y + h, 0}, {x, y + h, 0}};
    };
    EXPECT_TRUE(plane.IsSelect(square(4, 4, 1)));    // inside
    EXPECT_TRUE(plane.IsSelect(square(-5, -5, 20))); // around
    EXPECT_TRUE(plane.IsSelect(square(9, 9, 3)));    // across a corner
    EXPECT_TRUE(plane.IsSelect(square(10, 2, 1)));   // touching an edge
    EXPECT_FALSE(plane.IsSelect(square(11, 11, 1)));
    EXPECT_FALSE(plane.IsSelect({}));
    EXPECT_TRUE(plane.IsLineInRange(5, 20, 5, 20));
    EXPECT_FALSE(plane.IsLineInRange(2, 8, 2, 8)); // inside the plane but on no edge
}

TEST(EntityDatabaseEdit, ClicksAndRectanglesSelectWhatTheyMeet)
{
    Site s;
    EXPECT_EQ(s.Click(50, 20), 1);
    EXPECT_TRUE(s.Selected(QStringLiteral("点"), QStringLiteral("P1")));
    EXPECT_EQ(s.Click(50, 20, 2, -2), 1); // within the hit tolerance
    EXPECT_EQ(s.Click(50, 20, 6, 0), 0);  // a new selection empties the old one
    EXPECT_FALSE(s.Selected(QStringLiteral("点"), QStringLiteral("P1")));
    EXPECT_EQ(s.Click(50, 100), 1); // on a line's side
    EXPECT_TRUE(s.Selected(QStringLiteral("线"), QStringLiteral("L1")));
    EXPECT_EQ(s.Click(50, 80), 0);
    EXPECT_EQ(s.Click(50, 165), 1); // inside a plane, far from its outline
    EXPECT_TRUE(s.Selected(QStringLiteral("面"), QStringLiteral("S1")));
    EXPECT_EQ(s.Click(95, 165), 0);
    EXPECT_EQ(s.gcd.SelectEntity(CPoint(0, 0), CPoint(199, 99)), 3);

    MapConfigItem item = s.gcd.GetMapItem();
    item.Select = 0;
    s.gcd.SetMapItem(item);
    EXPECT_EQ(s.gcd.SelectEntity(CPoint(0, 0), CPoint(199, 99)), 0);
    item.Select = 1;
    item.Visible = 0;
    s.gcd.SetMapItem(item);
    EXPECT_EQ(s.gcd.SelectEntity(CPoint(0, 0), CPoint(199, 99)), 0);
}

TEST(EntityDatabaseEdit, RemovingAndAddingEntitiesAndPositions)
{
    Site s;
    auto* line = dynamic_cast<CLineData*>(s.gcd.GetEntityData(QStringLiteral("线"), QStringLiteral("L1")));
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(line->GetLength(), 90);
    EXPECT_EQ(s.gcd.RemoveEntityCoor(QStringLiteral("L1"), 2), 1);
    EXPECT_DOUBLE_EQ(line->GetLength(), 80);
    EXPECT_EQ(line->m_MaxY, kY0 + 100);
    EXPECT_EQ(s.gcd.RemoveEntityCoor(QStringLiteral("L1"), 5), 0);
    EXPECT_EQ(s.gcd.RemoveEntityCoor(QStringLiteral("nobody"), 0), 0);

    // Positions added at run time: inserted where asked, appended otherwise.
    EXPECT_EQ(s.gcd.AddLoadEntity(QStringLiteral("L1"), kX0 + 10, kY0 + 50, 1), 1);
    EXPECT_EQ(s.gcd.AddLoadEntity(QStringLiteral("L1"), kX0 + 90, kY0 + 150, -1), 1);
    ASSERT_EQ(line->GetPointCount(), 4);
    EXPECT_EQ(line->GetPoints()[1].y, kY0 + 50);
    EXPECT_EQ(line->GetPoints()[3].y, kY0 + 150);
    EXPECT_DOUBLE_EQ(line->GetLength(), 50 + std::hypot(80.0, 50.0) + 50);

    // An entity loaded later takes its class from EntityTable and its label from its class table.
    EXPECT_EQ(s.gcd.AddLoadEntity(QStringLiteral("P_2"), kX0 + 5, kY0 + 6, 0), 1);
    const CEntityData* p2 = s.gcd.GetEntityData(QStringLiteral("点"), QStringLiteral("P_2"));
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->m_Label[0], QStringLiteral("二"));
    EXPECT_EQ(s.gcd.AddLoadEntity(QStringLiteral("unknown"), 1, 2, 0), 0);
    EXPECT_EQ(s.gcd.AddLoadEntity(QStringLiteral("P1"), std::nan(""), 2, 0), 0);

    // The last position of an entity takes the entity with it.
    EXPECT_EQ(s.gcd.RemoveEntityCoor(QStringLiteral("P1"), 0), 1);
    EXPECT_FALSE(s.gcd.GetEntityData(QStringLiteral("点"), QStringLiteral("P1")));
    EXPECT_EQ(s.gcd.RemoveEntity(QStringLiteral("S1")), 1);
    EXPECT_EQ(s.gcd.RemoveEntity(QStringLiteral("S1")), 0);
    EXPECT_EQ(s.gcd.GetEntityCount(), 2);
    double minX, maxX, minY, maxY;
    ASSERT_EQ(s.gcd.GetRange(minX, maxX, minY, maxY), 1);
    EXPECT_EQ(minY, kY0 + 6);
    EXPECT_EQ(maxY, kY0 + 150);

    // UpdateData replaces the positions of the entity with that identifier.
    CLineData replacement = Shape<CLineData>({{kX0, kY0, 0}, {kX0, kY0 + 1, 0}});
    replacement.m_EntityID = QStringLiteral("L1");
    EXPECT_TRUE(s.gcd.FindEntityClass(QStringLiteral("线"))->UpdateData(&replacement));
    EXPECT_DOUBLE_EQ(line->GetLength(), 1);
}
