// The entities a survey drawing is mostly made of, read without dxflib: their groups are
// collected here and, when the entity ends, handed to the same creation interface with the
// attributes, extrusion and data dxflib would have produced from them. dxflib itself only sees a
// group 0 it does not know, so that it closes its previous entity at the same moment as before.

#include "sources/CMap_DXF.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Where a group is kept in DirectEntity::values; -1 for groups these entities do not need.
int SlotOf(int code)
{
    switch (code)
    {
    case 10: return 0;
    case 20: return 1;
    case 30: return 2;
    case 11: return 3;
    case 21: return 4;
    case 31: return 5;
    case 40: return 6;
    case 50: return 7;
    case 51: return 8;
    case 210: return 9;
    case 220: return 10;
    case 230: return 11;
    case 38: return 12;
    default: return -1;
    }
}

// A real as dxflib reads one: commas taken for decimal points, then the longest start that looks
// like a number (sign, digits, point, digits, exponent) read as a stream would read it: 0 when
// that start is no number, the largest double (with its sign) when it overflows.
double ReadReal(const char* value, int length)
{
    char text[128] = {};
    int n = 0, i = 0;
    const auto peek = [&] { return i < length ? (value[i] == ',' ? '.' : value[i]) : '\0'; };
    const auto take = [&] {
        if (n < int(sizeof text) - 1) text[n++] = peek();
        ++i;
    };
    while (i < length && (value[i] == ' ' || value[i] == '\t')) ++i;
    if (peek() == '+' || peek() == '-') take();
    bool digits = false;
    while (peek() >= '0' && peek() <= '9') take(), digits = true;
    if (peek() == '.')
    {
        take();
        while (peek() >= '0' && peek() <= '9') take(), digits = true;
    }
    if (digits && (peek() == 'e' || peek() == 'E'))
    {
        take();
        if (peek() == '+' || peek() == '-') take();
        while (peek() >= '0' && peek() <= '9') take();
    }
    const char* begin = text;
    const char* end = text + n;
    const bool negative = n > 0 && text[0] == '-';
    if (n > 0 && text[0] == '+') ++begin;
    double v = 0.0;
    const auto r = std::from_chars(begin, end, v);
    if (r.ec == std::errc::result_out_of_range)
    {
        // Overflow gives the largest double; underflow the nearest, zero.
        const char* e = std::find_if(begin, end, [](char c) { return c == 'e' || c == 'E'; });
        const bool overflow = e != end && std::strtol(std::string(e + 1, end).c_str(), nullptr, 10) > 0;
        return overflow ? (negative ? -DBL_MAX : DBL_MAX) : 0.0;
    }
    if (r.ec != std::errc() || r.ptr != end) return 0.0;
    return v;
}

// An integer as dxflib reads one (strtol, base 10, its long taken as an int).
long ReadLong(const char* value, int length)
{
    char text[64];
    const int n = std::min(length, int(sizeof text) - 1);
    std::memcpy(text, value, size_t(n));
    text[n] = '\0';
    return std::strtol(text, nullptr, 10);
}
} // namespace

bool CMap_DXF::StartDirect(const char* type, int length)
{
    const auto is = [&](const char* name) {
        return length == int(std::strlen(name)) && std::memcmp(type, name, size_t(length)) == 0;
    };
    DirectEntity::Kind kind = DirectEntity::None;
    if (is("LINE")) kind = DirectEntity::Line;
    else if (is("ARC")) kind = DirectEntity::Arc;
    else if (is("CIRCLE")) kind = DirectEntity::Circle;
    else if (is("LWPOLYLINE")) kind = DirectEntity::LwPolyline;
    if (kind == DirectEntity::None) return false;
    DirectEntity& e = m_Direct;
    e.kind = kind;
    e.layer.clear();
    e.hasLayer = false;
    e.colour = 256;
    e.flags = 0;
    e.declared = -1;
    e.present = 0;
    e.vertices.clear();
    e.bulges.clear();
    return true;
}

void CMap_DXF::TakeDirect(int code, const char* value, int length)
{
    DirectEntity& e = m_Direct;
    if (e.kind == DirectEntity::LwPolyline)
    {
        // A vertex starts with its group 10; its 20 and 42 follow. Once the count the entity
        // declares is reached, dxflib writes further vertices over its last one: so does this.
        if (code == 10)
        {
            const double x = ReadReal(value, length);
            if (e.declared >= 0 && (long long)e.vertices.size() >= e.declared)
            {
                if (!e.vertices.empty()) e.vertices.back().x = x;
                return;
            }
            e.vertices.push_back({x, 0.0});
            e.bulges.push_back(0.0);
            return;
        }
        if (code == 20 || code == 42)
        {
            if (!e.vertices.empty()) (code == 20 ? e.vertices.back().y : e.bulges.back()) = ReadReal(value, length);
            return;
        }
        if (code == 90)
        {
            e.declared = std::max(0L, ReadLong(value, length));
            return;
        }
    }
    switch (code)
    {
    case 8:
        e.layer.assign(value, size_t(length));
        e.hasLayer = true;
        return;
    case 62:
        e.colour = int(ReadLong(value, length));
        return;
    case 70:
        e.flags = int(ReadLong(value, length));
        return;
    default:
        break;
    }
    const int slot = SlotOf(code);
    if (slot < 0) return;
    e.values[slot] = ReadReal(value, length);
    e.present |= 1u << slot;
}

void CMap_DXF::FinishDirect()
{
    DirectEntity& e = m_Direct;
    const DirectEntity::Kind kind = e.kind;
    if (kind == DirectEntity::None) return;
    e.kind = DirectEntity::None;
    const auto get = [&](int code, double fallback) {
        const int slot = SlotOf(code);
        return (e.present >> slot) & 1u ? e.values[slot] : fallback;
    };
    setAttributes(DL_Attributes(e.hasLayer ? e.layer : std::string("0"), e.colour, -1, -1, "BYLAYER"));
    // An LWPOLYLINE's elevation is its group 38; other entities are lifted by their group 30.
    setExtrusion(get(210, 0.0), get(220, 0.0), get(230, 1.0), get(kind == DirectEntity::LwPolyline ? 38 : 30, 0.0));
    switch (kind)
    {
    case DirectEntity::None:
        return;
    case DirectEntity::Line:
        addLine(DL_LineData(get(10, 0.0), get(20, 0.0), get(30, 0.0), get(11, 0.0), get(21, 0.0), get(31, 0.0)));
        return;
    case DirectEntity::Arc:
        addArc(DL_ArcData(get(10, 0.0), get(20, 0.0), get(30, 0.0), get(40, 0.0), get(50, 0.0), get(51, 0.0)));
        return;
    case DirectEntity::Circle:
        addCircle(DL_CircleData(get(10, 0.0), get(20, 0.0), get(30, 0.0), get(40, 0.0)));
        return;
    case DirectEntity::LwPolyline:
    {
        addPolyline(DL_PolylineData(int(e.vertices.size()), 0, 0, e.flags, get(38, 0.0)));
        for (size_t i = 0; i < e.vertices.size(); ++i)
            addVertex(DL_VertexData(e.vertices[i].x, e.vertices[i].y, 0.0, e.bulges[i]));
        endEntity();
        return;
    }
    }
}
