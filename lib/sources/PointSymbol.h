#pragma once

// The square point symbol and its label, shared by the point-file and point-database layers.
// Internal.

#include "platform/PointRect.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

namespace pointsymbol
{
// The square with corners (c.x ± size, c.y ± size) filled with the painter's brush and outlined
// with its pen, as a device context fills a polygon: the right and bottom edges lie outside the
// fill, the outline runs along the corners.
inline void DrawSquare(QPainter* painter, const CPoint& c, int size)
{
    const int side = 2 * size;
    if (painter->pen().style() == Qt::NoPen)
    {
        if (side > 0) painter->fillRect(QRect(c.x - size, c.y - size, side, side), painter->brush());
        return;
    }
    // The outline of a rectangle of width 2 * size runs through exactly these four corners.
    painter->drawRect(QRect(c.x - size, c.y - size, side, side));
}

// Text takes its colour from the pen in a painter; a device context keeps a separate text colour,
// so the pen is swapped for the text and put back.
inline void DrawLabel(QPainter* painter, const QRect& box, const QString& text, const QColor& color, int flags)
{
    if (text.isEmpty()) return;
    const QPen pen = painter->pen();
    painter->setPen(color);
    if (flags == int(Qt::AlignLeft | Qt::AlignTop))
    {
        // Top-left text needs no layout: the baseline lies one ascent below the top. This keeps
        // thousands of labels per picture cheap.
        painter->drawText(QPoint(box.left(), box.top() + painter->fontMetrics().ascent()), text);
    }
    else
        painter->drawText(box, flags | Qt::TextSingleLine, text);
    painter->setPen(pen);
}

// Where labels may still go in one picture. Labels that would overlap one already placed are left
// out: at survey densities a million points give tens of thousands of labels per picture, and
// stacked labels are unreadable and cost most of the drawing. Points whose labels do not overlap
// lose none. Placing runs from the label drawn last (the one on top, the only one readable where
// labels stack) backwards, so the label kept is the one that was readable.
class LabelSpace
{
public:
    // `client` is the picture's rectangle; labels outside it are handled too.
    explicit LabelSpace(const QRect& client);
    // True when `box` overlaps no label placed so far.
    bool IsFree(const QRect& box) const;
    void Place(const QRect& box);

private:
    // Placed boxes are filed under every bucket of a coarse grid they touch, so a test looks at
    // the few boxes nearby. Boxes beyond the grid are filed under its edge buckets.
    static constexpr int kBucketWidth = 64, kBucketHeight = 32;
    void Buckets(const QRect& box, int& left, int& top, int& right, int& bottom) const;

    QRect m_Grid;
    int m_Columns = 1, m_Rows = 1;
    std::vector<std::vector<QRect>> m_Buckets;
};

// A cheap lower bound of a label's width: its characters' advances added up (cached by
// character), less an eighth for kerning. Enough to see that a label cannot fit without laying
// out its text.
class LabelWidthBound
{
public:
    explicit LabelWidthBound(const QFontMetrics& metrics) : m_Metrics(metrics) { m_Latin.fill(-1); }
    int operator()(const QString& text);

private:
    int Advance(char16_t c);

    QFontMetrics m_Metrics;
    std::array<int, 128> m_Latin;
    QHash<char16_t, int> m_Other;
};
} // namespace pointsymbol
