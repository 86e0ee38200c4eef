#include "map/CMapDefine.h"

#include <cmath>
#include <cstdlib>

namespace
{
// The saturated colours at full brightness, 15 degrees of hue apart, starting at red.
const int kHues[24][3] = {
    {255, 0, 0},   {255, 103, 0}, {255, 163, 0}, {255, 212, 0}, {255, 255, 0}, {212, 255, 0},
    {163, 255, 0}, {103, 255, 0}, {0, 255, 0},   {0, 255, 103}, {0, 255, 163}, {0, 255, 212},
    {0, 255, 255}, {0, 212, 255}, {0, 163, 255}, {0, 103, 255}, {0, 0, 255},   {103, 0, 255},
    {163, 0, 255}, {212, 0, 255}, {255, 0, 255}, {255, 0, 212}, {255, 0, 163}, {255, 0, 103}};

// The pale variant at full brightness raises every component towards white.
int Pale(int c)
{
    switch (c)
    {
    case 0: return 163;
    case 103: return 188;
    case 163: return 212;
    case 212: return 234;
    default: return 255;
    }
}

const int kLevels[5] = {255, 229, 202, 163, 117};
// The pale variants keep no fixed ratio to their level (red's pale 163 falls to 146, 128, 103, 74
// while 255 falls to the level), so no single factor reproduces the red row. A pale component
// (163 to 255) is mapped linearly between those two anchors of its level instead.
const int kPaleFloor[5] = {163, 146, 128, 103, 74};

int PaleAtLevel(int pale, int level)
{
    const double low = kPaleFloor[level];
    const double high = kLevels[level];
    return static_cast<int>(std::lround(low + (pale - 163) * (high - low) / (255.0 - 163.0)));
}

int Scaled(int c, double factor) { return static_cast<int>(std::lround(c * factor)); }
} // namespace

CMapDefine::CMapDefine()
{
    const COLORREF named[10] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 0),
                                RGB(0, 255, 255),   RGB(0, 0, 255), RGB(255, 0, 255), RGB(0, 0, 0),
                                RGB(70, 70, 70),    RGB(150, 150, 150)};
    for (int i = 0; i < 10; ++i) m_Colors[i] = named[i];

    for (int k = 0; k < 24; ++k)
    {
        const int* h = kHues[k];
        for (int level = 0; level < 5; ++level)
        {
            const double f = kLevels[level] / 255.0;
            const int index = 10 + 10 * k + 2 * level;
            m_Colors[index] = RGB(Scaled(h[0], f), Scaled(h[1], f), Scaled(h[2], f));
            m_Colors[index + 1] = RGB(PaleAtLevel(Pale(h[0]), level), PaleAtLevel(Pale(h[1]), level),
                                     PaleAtLevel(Pale(h[2]), level));
        }
    }

    const int greys[6] = {124, 155, 183, 208, 232, 250};
    for (int i = 0; i < 6; ++i) m_Colors[250 + i] = RGB(greys[i], greys[i], greys[i]);
}

unsigned long CMapDefine::GetColor(int index) const
{
    if (index < 0 || index >= ColorCount) return 0;
    return m_Colors[index];
}

unsigned long CMapDefine::GetRandColor() const { return m_Colors[std::rand() % 255]; }
