#include "app/core/ListLayout.h"

ListLayout ComputeListLayout(const QSize& client, const QSize& button)
{
    const int margin = 6, gap = 6;
    ListLayout l;
    const int W = client.width(), H = client.height();
    if (W <= 100 || H <= 100) return l;
    l.valid = true;
    const int w = button.width(), h = button.height();
    if (W > H)
    {
        const int x = W - margin - w;
        for (int i = 0; i < 4; ++i) l.buttons[i] = QRect(x, margin + i * (h + gap), w, h);
        l.list = QRect(margin, margin, qMax(0, x - gap - margin), qMax(0, H - 2 * margin));
        return l;
    }
    int perRow = 4;
    if (W < 2 * w + 18)
        perRow = 1;
    else if (W < 3 * w + 24)
        perRow = 2;
    else if (W < 4 * w + 30)
        perRow = 3;
    const int rows = (4 + perRow - 1) / perRow;
    const int buttonsTop = H - margin - rows * h - (rows - 1) * gap;
    for (int i = 0; i < 4; ++i)
    {
        const int r = i / perRow, c = i % perRow;
        l.buttons[i] = QRect(margin + c * (w + gap), buttonsTop + r * (h + gap), w, h);
    }
    l.list = QRect(margin, margin, qMax(0, W - 2 * margin), qMax(0, buttonsTop - gap - margin));
    return l;
}
