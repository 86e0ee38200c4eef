#include "map/CMapDefine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace
{
using Rgb = std::array<int, 3>;

Rgb Components(unsigned long c)
{
    return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}
} // namespace

TEST(Palette, NamedColoursGreysAndOutOfRange)
{
    const CMapDefine palette;
    const Rgb named[10] = {{255, 255, 255}, {255, 0, 0},   {255, 255, 0}, {0, 255, 0},   {0, 255, 255},
                           {0, 0, 255},     {255, 0, 255}, {0, 0, 0},     {70, 70, 70}, {150, 150, 150}};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Components(palette.GetColor(i)), named[i]) << "index " << i;
    const int greys[6] = {124, 155, 183, 208, 232, 250};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Components(palette.GetColor(250 + i)), (Rgb{greys[i], greys[i], greys[i]}));
    EXPECT_EQ(palette.GetColor(-1), 0u);
    EXPECT_EQ(palette.GetColor(256), 0u);
    // Values are 0x00BBGGRR.
    EXPECT_EQ(palette.GetColor(5), 0x00FF0000u);
}

TEST(Palette, RedRowAtEveryLevel)
{
    const CMapDefine palette;
    const Rgb red[10] = {{255, 0, 0}, {255, 163, 163}, {229, 0, 0}, {229, 146, 146}, {202, 0, 0},
                         {202, 128, 128}, {163, 0, 0}, {163, 103, 103}, {117, 0, 0}, {117, 74, 74}};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Components(palette.GetColor(10 + i)), red[i]) << "index " << 10 + i;
}

TEST(Palette, HuesAndPaleVariantsAtFullBrightness)
{
    const CMapDefine palette;
    const Rgb hues[24] = {{255, 0, 0},   {255, 103, 0}, {255, 163, 0}, {255, 212, 0}, {255, 255, 0}, {212, 255, 0},
                          {163, 255, 0}, {103, 255, 0}, {0, 255, 0},   {0, 255, 103}, {0, 255, 163}, {0, 255, 212},
                          {0, 255, 255}, {0, 212, 255}, {0, 163, 255}, {0, 103, 255}, {0, 0, 255},   {103, 0, 255},
                          {163, 0, 255}, {212, 0, 255}, {255, 0, 255}, {255, 0, 212}, {255, 0, 163}, {255, 0, 103}};
    auto pale = [](int c) { return c == 0 ? 163 : c == 103 ? 188 : c == 163 ? 212 : c == 212 ? 234 : 255; };
    for (int k = 0; k < 24; ++k)
    {
        EXPECT_EQ(Components(palette.GetColor(10 + 10 * k)), hues[k]) << "hue " << k;
        const Rgb p{pale(hues[k][0]), pale(hues[k][1]), pale(hues[k][2])};
        EXPECT_EQ(Components(palette.GetColor(11 + 10 * k)), p) << "hue " << k;
    }
    // The named landmarks of the hue circle.
    EXPECT_EQ(Components(palette.GetColor(50)), (Rgb{255, 255, 0}));
    EXPECT_EQ(Components(palette.GetColor(90)), (Rgb{0, 255, 0}));
    EXPECT_EQ(Components(palette.GetColor(130)), (Rgb{0, 255, 255}));
    EXPECT_EQ(Components(palette.GetColor(170)), (Rgb{0, 0, 255}));
    EXPECT_EQ(Components(palette.GetColor(210)), (Rgb{255, 0, 255}));
}

TEST(Palette, LowerLevelsPeakAtTheLevelAndKeepTheirOrder)
{
    // Every colour of a level, saturated or pale, has the level's value as its largest component,
    // and the pale variant is never darker than the saturated colour in any component.
    const CMapDefine palette;
    const int levels[5] = {255, 229, 202, 163, 117};
    for (int k = 0; k < 24; ++k)
        for (int level = 0; level < 5; ++level)
        {
            const Rgb s = Components(palette.GetColor(10 + 10 * k + 2 * level));
            const Rgb p = Components(palette.GetColor(11 + 10 * k + 2 * level));
            EXPECT_EQ(std::max({s[0], s[1], s[2]}), levels[level]) << "hue " << k << " level " << level;
            EXPECT_EQ(std::max({p[0], p[1], p[2]}), levels[level]) << "hue " << k << " level " << level;
            for (int c = 0; c < 3; ++c) EXPECT_GE(p[c], s[c]) << "hue " << k << " level " << level;
        }
}
