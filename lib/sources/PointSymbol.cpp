#include "sources/PointSymbol.h"

#include <algorithm>

namespace pointsymbol
{
LabelSpace::LabelSpace(const QRect& client) : m_Grid(client.isValid() ? client : QRect(0, 0, 1, 1))
{
    m_Columns = std::max(1, (m_Grid.width() + kBucketWidth - 1) / kBucketWidth);
    m_Rows = std::max(1, (m_Grid.height() + kBucketHeight - 1) / kBucketHeight);
    m_Buckets.resize(size_t(m_Columns) * size_t(m_Rows));
}

void LabelSpace::Buckets(const QRect& box, int& left, int& top, int& right, int& bottom) const
{
    // Clamping keeps any two overlapping boxes in at least one shared bucket.
    const auto column = [this](int x)
    { return std::clamp((x - m_Grid.left()) / kBucketWidth, 0, m_Columns - 1); };
    const auto row = [this](int y) { return std::clamp((y - m_Grid.top()) / kBucketHeight, 0, m_Rows - 1); };
    left = column(std::max(box.left(), m_Grid.left()));
    right = column(std::max(box.right(), m_Grid.left()));
    top = row(std::max(box.top(), m_Grid.top()));
    bottom = row(std::max(box.bottom(), m_Grid.top()));
}

bool LabelSpace::IsFree(const QRect& box) const
{
    if (box.isEmpty()) return true;
    int left, top, right, bottom;
    Buckets(box, left, top, right, bottom);
    for (int c = left; c <= right; ++c)
        for (int r = top; r <= bottom; ++r)
            for (const QRect& placed : m_Buckets[size_t(c) * size_t(m_Rows) + size_t(r)])
                if (placed.intersects(box)) return false;
    return true;
}

void LabelSpace::Place(const QRect& box)
{
    if (box.isEmpty()) return;
    int left, top, right, bottom;
    Buckets(box, left, top, right, bottom);
    for (int c = left; c <= right; ++c)
        for (int r = top; r <= bottom; ++r)
            m_Buckets[size_t(c) * size_t(m_Rows) + size_t(r)].push_back(box);
}

int LabelWidthBound::Advance(char16_t c)
{
    // Surrogate halves measure nothing alone; taking them as 0 keeps the bound a bound.
    if (QChar::isSurrogate(c)) return 0;
    if (c < m_Latin.size())
    {
        if (m_Latin[c] < 0) m_Latin[c] = std::max(0, m_Metrics.horizontalAdvance(QChar(c)));
        return m_Latin[c];
    }
    auto it = m_Other.constFind(c);
    if (it == m_Other.constEnd()) it = m_Other.insert(c, std::max(0, m_Metrics.horizontalAdvance(QChar(c))));
    return *it;
}

int LabelWidthBound::operator()(const QString& text)
{
    int sum = 0;
    for (const QChar c : text)
        sum += Advance(c.unicode());
    return sum - sum / 8;
}
} // namespace pointsymbol
