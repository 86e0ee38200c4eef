#include "sources/TileImageCache.h"

#include <algorithm>

TileImageCache::TileImageCache(std::int64_t budgetBytes) : m_Budget(std::max<std::int64_t>(0, budgetBytes)) {}

const QImage* TileImageCache::Find(std::uint64_t key)
{
    auto it = m_Index.find(key);
    if (it == m_Index.end()) return nullptr;
    m_Lru.splice(m_Lru.begin(), m_Lru, it->second);
    return &it->second->image;
}

void TileImageCache::Insert(std::uint64_t key, QImage image)
{
    Remove(key);
    const std::int64_t bytes = std::int64_t(image.sizeInBytes()) + std::int64_t(sizeof(Entry));
    if (bytes > m_Budget) return;
    m_Lru.push_front(Entry{key, std::move(image), bytes});
    m_Index[key] = m_Lru.begin();
    m_Used += bytes;
    EvictToBudget();
}

void TileImageCache::Remove(std::uint64_t key)
{
    auto it = m_Index.find(key);
    if (it == m_Index.end()) return;
    m_Used -= it->second->bytes;
    m_Lru.erase(it->second);
    m_Index.erase(it);
}

void TileImageCache::Clear()
{
    m_Lru.clear();
    m_Index.clear();
    m_Used = 0;
}

void TileImageCache::SetBudgetBytes(std::int64_t budgetBytes)
{
    m_Budget = std::max<std::int64_t>(0, budgetBytes);
    EvictToBudget();
}

void TileImageCache::EvictToBudget()
{
    while (m_Used > m_Budget && !m_Lru.empty())
    {
        m_Used -= m_Lru.back().bytes;
        m_Index.erase(m_Lru.back().key);
        m_Lru.pop_back();
    }
}
