#pragma once

#include "platform/Color.h"
#include "platform/Export.h"

// The shared 256-colour palette, indexed like DXF colour numbers: 0 to 9 named colours, 10 to 249
// twenty-four hues in five brightness levels (each saturated colour followed by its pale
// variant), 250 to 255 greys. Values are 0x00BBGGRR.
class TESVANE_API CMapDefine
{
public:
    CMapDefine();
    virtual ~CMapDefine() = default;

    static constexpr int ColorCount = 256;

    // The entry at `index`; black for an index outside 0..255.
    unsigned long GetColor(int index) const;
    // The entry at rand() % 255 (so the last grey is never chosen).
    unsigned long GetRandColor() const;

    unsigned long m_Colors[ColorCount];
};
