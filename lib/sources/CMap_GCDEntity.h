#pragma once

#include "platform/Export.h"
#include "platform/PointRect.h"
#include "sources/CMap_GCDData.h"

#include <QString>

#include <memory>
#include <vector>

class CMapConvert;
class QPainter;

// One entity class of an entity database: its geometry type, its drawing style from the style
// dictionary and its entities. A class holds items of its own type only.
class TESVANE_API CMap_GCDEntity
{
public:
    CMap_GCDEntity(int type, const QString& name);
    virtual ~CMap_GCDEntity();
    CMap_GCDEntity(const CMap_GCDEntity&) = delete;
    CMap_GCDEntity& operator=(const CMap_GCDEntity&) = delete;

    int GetType() const { return m_Type; }
    const QString& GetName() const { return m_Name; }
    int GetCount() const;

    // Take ownership; an item of another type than the class's is refused (null).
    CPointData* AddData(std::unique_ptr<CPointData> item);
    CLineData* AddData(std::unique_ptr<CLineData> item);
    CPlaneData* AddData(std::unique_ptr<CPlaneData> item);
    // Replaces the positions and labels of the loaded entity with the same identifier by those
    // of `line` (a plane for plane classes); false when the class has no such entity.
    bool UpdateData(const CLineData* line);
    // The first entity with this identifier, or null.
    CEntityData* GetEntityData(const QString& id) const;
    // Removes every entity with this identifier; returns how many went.
    int RemoveEntity(const QString& id);
    // Removes position `index` of the entity; an entity left without positions is removed.
    // False when there is no such entity or position.
    bool RemoveEntityCoor(const QString& id, int index);
    void RemoveAll();

    // Adds the entities met by the client rectangle p1-p2 to the selection (a click selects within
    // a few pixels of the point) and returns how many the class now has selected.
    int SelectEntity(CPoint p1, CPoint p2, const CMapConvert* convert);
    void ClearSelect();
    int GetSelectCount() const;
    // Visits the entities (for the layer and tests).
    template <class F> void ForEach(F f) const
    {
        for (const auto& p : m_Points) f(*p);
        for (const auto& l : m_Lines) f(*l);
        for (const auto& s : m_Planes) f(*s);
    }

    // The extent of the entities that have positions; `extend` non-zero widens the values given
    // instead of replacing them. 0 when the class has no positioned entity.
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int extend) const;

    // Draws the entities in the view. `displayField` 0 or 1 picks the label, others draw none.
    void OnDraw(QPainter* painter, const CMapConvert* convert, int semiTransparence, int displayField,
                unsigned long textColor) const;
    // One point symbol at a client position: the symbol font's character, or the square.
    void OnDrawIcon(QPainter* painter, CPoint client) const;
    void OnDrawSelectedIcon(QPainter* painter, CPoint client) const;
    // The selected entities, highlighted over the normal drawing.
    void DrawSelected(QPainter* painter, const CMapConvert* convert) const;

    // True when points are drawn with the symbol font: a font name, a character above the space,
    // and the font installed (otherwise the square stands in).
    bool UsesSymbolFont() const;

    // Style from the dictionary. Points: m_Value1 = icon character, m_Color = icon colour,
    // m_Size = icon size. Lines: line style, colour, width. Planes: outline style, colour, width,
    // then the fill style (0 solid) and colour.
    QString m_FontName;
    int m_Value1 = 0;
    unsigned long m_Color = 0;
    int m_Size = 1;
    int m_FillStyle = 0;
    unsigned long m_FillColor = 0xFFFFFF;

    // The highlight of selected entities.
    static constexpr unsigned long SelectColor = 0xFFFF00; // cyan (0x00BBGGRR)

private:
    template <class T> static int RemoveFrom(std::vector<std::unique_ptr<T>>& items, const QString& id);
    void PrepareIcon(QPainter* painter, bool symbol, unsigned long color) const;
    void DrawIcon(QPainter* painter, CPoint client, bool symbol, int halfWidth) const;
    void DrawPoints(QPainter* painter, const CMapConvert* convert, const double view[4], int displayField) const;
    void DrawLines(QPainter* painter, const CMapConvert* convert, const double view[4], int displayField) const;
    void DrawPlanes(QPainter* painter, const CMapConvert* convert, const double view[4], int semiTransparence,
                    int displayField) const;

    int m_Type;
    QString m_Name;
    std::vector<std::unique_ptr<CPointData>> m_Points;
    std::vector<std::unique_ptr<CLineData>> m_Lines;
    std::vector<std::unique_ptr<CPlaneData>> m_Planes;
};
