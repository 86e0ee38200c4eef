#pragma once

#include <QRect>
#include <QSize>
#include <array>

// Where a route list and its four buttons (Insert, Edit, Delete, Apply) go in a pane of the given
// size: beside the list in a column when the pane is wider than tall, otherwise below it in rows
// of as many buttons as fit. `valid` is false for panes of 100 x 100 pixels or less, which keep
// their previous layout.
struct ListLayout
{
    bool valid = false;
    QRect list;
    std::array<QRect, 4> buttons;
};

ListLayout ComputeListLayout(const QSize& client, const QSize& button);
