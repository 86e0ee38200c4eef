#include "sources/TileImageCache.h"

#include <gtest/gtest.h>

namespace
{
QImage Tile(int side, QRgb colour)
{
    QImage img(side, side, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}
} // namespace

TEST(TileImageCache, EvictsTheLeastRecentlyUsedWhenTheBytesRunOut)
{
    const std::int64_t one = Tile(64, 0).sizeInBytes();
    TileImageCache cache(3 * one + 1000); // room for three images and their bookkeeping
    for (int i = 0; i < 3; ++i) cache.Insert(TileImageCache::Key(5, i, 0), Tile(64, qRgb(i, 0, 0)));
    EXPECT_EQ(cache.Count(), 3u);
    ASSERT_NE(cache.Find(TileImageCache::Key(5, 0, 0)), nullptr); // tile 0 is now the freshest
    cache.Insert(TileImageCache::Key(5, 3, 0), Tile(64, qRgb(3, 0, 0)));
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_EQ(cache.Find(TileImageCache::Key(5, 1, 0)), nullptr) << "the least recently used goes";
    ASSERT_NE(cache.Find(TileImageCache::Key(5, 0, 0)), nullptr);
    EXPECT_EQ(cache.Find(TileImageCache::Key(5, 0, 0))->pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_LE(cache.UsedBytes(), cache.BudgetBytes());

    // Replacing an entry does not count it twice; shrinking the budget evicts at once.
    cache.Insert(TileImageCache::Key(5, 0, 0), Tile(64, qRgb(9, 0, 0)));
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_EQ(cache.Find(TileImageCache::Key(5, 0, 0))->pixel(0, 0), qRgb(9, 0, 0));
    cache.SetBudgetBytes(one + 1000);
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_NE(cache.Find(TileImageCache::Key(5, 0, 0)), nullptr);

    // An image larger than the whole budget is not kept, and pushes nothing out.
    cache.Insert(TileImageCache::Key(6, 0, 0), Tile(256, 0));
    EXPECT_EQ(cache.Find(TileImageCache::Key(6, 0, 0)), nullptr);
    EXPECT_EQ(cache.Count(), 1u);
    cache.Clear();
    EXPECT_EQ(cache.UsedBytes(), 0);
}

TEST(TileImageCache, KeysOfDifferentTilesDiffer)
{
    EXPECT_NE(TileImageCache::Key(17, 1, 2), TileImageCache::Key(17, 2, 1));
    EXPECT_NE(TileImageCache::Key(16, 1, 2), TileImageCache::Key(17, 1, 2));
    EXPECT_NE(TileImageCache::Key(17, (1 << 17) - 1, 0), TileImageCache::Key(17, 0, (1 << 17) - 1));
}
