#pragma once

#include <QPoint>
#include <QRect>

// Integer screen point and rectangle with the conventions the whole map engine is written
// against: a rectangle's right and bottom edges lie outside it. QRect uses inclusive edges
// (right() == left + width - 1), so conversions go through width and height, never right().

struct CPoint
{
    int x = 0;
    int y = 0;

    CPoint() = default;
    CPoint(int px, int py) : x(px), y(py) {}
    explicit CPoint(const QPoint& p) : x(p.x()), y(p.y()) {}

    QPoint toQPoint() const { return QPoint(x, y); }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    CRect() = default;
    CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    explicit CRect(const QRect& r) : left(r.x()), top(r.y()), right(r.x() + r.width()), bottom(r.y() + r.height()) {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    // Right and bottom edges are exclusive.
    bool PtInRect(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }

    QRect toQRect() const { return QRect(left, top, Width(), Height()); }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};
