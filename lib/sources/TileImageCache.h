#pragma once

#include "platform/Export.h"

#include <QImage>

#include <cstdint>
#include <list>
#include <unordered_map>

// Decoded tile images kept between draws, so that a pan or a redraw decodes only the tiles that
// came into view. The cache is bounded by the bytes its images hold; when an insertion passes the
// bound, the images used least recently go first. A single image larger than the bound is not
// kept at all.
//
// Threads: used by one thread at a time (the map's drawing thread); it holds no lock.
class TESVANE_API TileImageCache
{
public:
    static constexpr std::int64_t kDefaultBudgetBytes = std::int64_t(256) << 20;

    explicit TileImageCache(std::int64_t budgetBytes = kDefaultBudgetBytes);

    // A key for the tile at (level, column, row) of one pyramid; columns and rows up to 2^28.
    static std::uint64_t Key(int level, int column, int row)
    {
        return (std::uint64_t(std::uint32_t(level) & 0xFF) << 56) |
               (std::uint64_t(std::uint32_t(column) & 0xFFFFFFF) << 28) | std::uint64_t(std::uint32_t(row) & 0xFFFFFFF);
    }

    // The image under `key` (marked as just used), or null.
    const QImage* Find(std::uint64_t key);
    // Keeps `image` under `key`, replacing what was there, then evicts down to the budget.
    void Insert(std::uint64_t key, QImage image);
    void Remove(std::uint64_t key);
    void Clear();

    // Changing the budget evicts at once when the cache now holds more.
    void SetBudgetBytes(std::int64_t budgetBytes);
    std::int64_t BudgetBytes() const { return m_Budget; }
    std::int64_t UsedBytes() const { return m_Used; }
    std::size_t Count() const { return m_Index.size(); }

private:
    struct Entry
    {
        std::uint64_t key;
        QImage image;
        std::int64_t bytes;
    };
    void EvictToBudget();

    std::int64_t m_Budget;
    std::int64_t m_Used = 0;
    std::list<Entry> m_Lru; // most recently used first
    std::unordered_map<std::uint64_t, std::list<Entry>::iterator> m_Index;
};
