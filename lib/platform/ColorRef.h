#pragma once

// Colours are kept as 0x00BBGGRR values, exactly as configuration files store them. This header
// needs no drawing library, so the computational core can hold colours without QtGui; the
// conversions to and from QColor are in platform/Color.h.
using COLORREF = unsigned long;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
