#pragma once

#include "platform/Export.h"

#include <QPoint>

class QPainter;

// Drawing helpers for layers with very many features.

// Draws single-pixel points in the painter's pen colour. When the painter draws plainly into a
// 32-bit image (no transform, clip, opacity, antialiasing or composition mode, a pen of at most one
// pixel) the pixels are written directly, about ten times faster than QPainter::drawPoints; in
// every other case it falls back to drawPoints. Points outside the image are skipped.
TESVANE_API void MapDrawPixels(QPainter* painter, const QPoint* points, int count);
