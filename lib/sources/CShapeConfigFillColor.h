#pragma once

#include "platform/Export.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CppSQLite3DB;
class IProgressListener;
class OGRFeature;
class OGRLayer;

// One entry of the colour table: an attribute value (as value text) and its fill colour.
struct FiledColor
{
    QString Value;
    long Color = -1;
};

// The fill colours of a polygon layer by the value of one attribute, kept in the ".shc" SQLite
// file beside the shapefile: the table ColorConfig names the colouring attribute, FiledConfig lists
// the attributes, and one table per attribute (named by its index) maps each distinct value to a
// colour. The tables are those earlier versions wrote, so their files keep working.
//
// Values from the data reach SQL only as bound parameters. A new ".shc" is built as a temporary
// file beside the shapefile and renamed into place when complete, so a failed build leaves no
// file behind and never a half-filled one.
class TESVANE_API CShapeConfigFillColor
{
public:
    CShapeConfigFillColor();
    virtual ~CShapeConfigFillColor();
    CShapeConfigFillColor(const CShapeConfigFillColor&) = delete;
    CShapeConfigFillColor& operator=(const CShapeConfigFillColor&) = delete;

    // The database is open.
    bool IsValid() const;
    QString GetConfigPath() const { return m_Path; }
    // The attribute names in index order; their count.
    int GetFiledArray(QStringList& names);
    // Chooses the colouring attribute (-1: none) and re-reads its colours; 1 on success.
    int SetConfigFiledIndex(int index);
    int GetConfigFiledIndex() const { return m_FiledIndex; }
    int GetFiledColorCount() const { return static_cast<int>(m_Colors.size()); }
    // Entry i of the colour table (value text and colour); an empty entry outside the table.
    FiledColor GetFiledColor(int index) const;
    // Gives entry i a new colour, in the file and in memory; 1 on success.
    int SetFiledColor(int index, long color);
    // The colour for a feature's value of the colouring attribute; -1 when none applies.
    long GetFillColor(OGRFeature* feature) const;
    long GetFillColorOfValue(const QString& valueText) const;

protected:
    friend class CMap_Shape;
    // Closes what is open; with a non-empty path opens (building it first when missing) the
    // ".shc" of the data set at `path` for `layer`.
    void LoadShapeConfig(const QString& path, OGRLayer* layer, IProgressListener* progress);

private:
    bool BuildConfig(const QString& shcPath, OGRLayer* layer, IProgressListener* progress);
    bool ReReadShapeConfig();
    void AddFiledValue(const QString& value, long color);
    void Destroy();
    void DestroySqList() { m_Colors.clear(); }

    std::unique_ptr<CppSQLite3DB> m_DB;
    QString m_Path;
    QByteArray m_Encoding;
    int m_FiledIndex = -1;
    int m_FiledType = 4;
    std::vector<FiledColor> m_Colors; // ascending by value text
};
