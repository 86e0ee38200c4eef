#pragma once

#include "platform/ColorRef.h"

#include <QColor>

// Conversions between stored colours and the drawing library's.

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }
