// The map manager's layer file "MapLayer.cfg": the configuration folder and the list of layers.
#include "map/CMapManage.h"

#include "platform/NumberText.h"
#include "markup/ConfigDocument.h"
#include "platform/FileIO.h"

namespace
{
const QString kLayerFile = QStringLiteral("\\MapLayer.cfg");
const QString kSection = QStringLiteral("MapLayer");
const QString kItem = QStringLiteral("MapLayer_Item");
} // namespace

void CMapManage::SetConfigPath(const QString& folder)
{
    m_ConfigPath = folder;
    m_MapConvert.SetConfigPath(folder);
    ConfigRead();
}

int CMapManage::ConfigSave()
{
    // Without a folder the file would land in whatever the current directory happens to be.
    if (m_ConfigPath.isEmpty()) return 0;
    ConfigDocument cfg(kSection);
    for (const auto& layer : m_MapLayers)
    {
        if (!layer) continue;
        const MapConfigItem item = layer->GetMapItem();
        cfg.AddGroup(kItem);
        cfg.AddChild(QStringLiteral("LayerName"), item.LayerName);
        cfg.AddChild(QStringLiteral("FullPathName"), item.FullPathName);
        cfg.AddChild(QStringLiteral("DictionaryPathName"), item.DictionaryPathName);
        cfg.AddChild(QStringLiteral("Format"), item.Format);
        cfg.AddChild(QStringLiteral("Style"), item.Style);
        cfg.AddChild(QStringLiteral("Size"), item.Size);
        cfg.AddChild(QStringLiteral("clrOutLine"), ColorValueText(item.clrOutLine));
        cfg.AddChild(QStringLiteral("clrFill"), ColorValueText(item.clrFill));
        cfg.AddChild(QStringLiteral("clrText"), ColorValueText(item.clrText));
        cfg.AddChild(QStringLiteral("DisplayField"), item.DisplayField);
        cfg.AddChild(QStringLiteral("Visible"), item.Visible);
        cfg.AddChild(QStringLiteral("Search"), item.Search);
        cfg.AddChild(QStringLiteral("Select"), item.Select);
        cfg.AddChild(QStringLiteral("SemiTransparence"), item.SemiTransparence);
        cfg.AddChild(QStringLiteral("Edit"), item.Edit);
        cfg.AddChild(QStringLiteral("MapDataType"), item.MapDataType);
    }
    return cfg.Save(JoinPath(m_ConfigPath, kLayerFile)) ? 1 : 0;
}

int CMapManage::ConfigRead()
{
    if (m_ConfigPath.isEmpty()) return 0;
    ConfigDocument cfg(kSection);
    // A file that is not a layer list leaves the layers as they are.
    if (!cfg.Load(JoinPath(m_ConfigPath, kLayerFile))) return 0;

    Clear();

    // Fields an item leaves out keep the previous item's value, except the name and the flags,
    // which start afresh for every item.
    MapConfigItem item;
    while (cfg.FindGroup(kItem))
    {
        item.LayerName.clear();
        item.Search = 1;
        item.Select = 0;
        item.SemiTransparence = 0;
        item.Edit = 0;
        item.MapDataType = 0;
        item.Reload = 0;
        cfg.ReadChild(QStringLiteral("LayerName"), item.LayerName);
        cfg.ReadChild(QStringLiteral("FullPathName"), item.FullPathName);
        cfg.ReadChild(QStringLiteral("DictionaryPathName"), item.DictionaryPathName);
        cfg.ReadChild(QStringLiteral("Format"), item.Format, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Style"), item.Style, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Size"), item.Size, LeadingInteger);
        cfg.ReadChild(QStringLiteral("clrOutLine"), item.clrOutLine, ColorValueFromText);
        cfg.ReadChild(QStringLiteral("clrFill"), item.clrFill, ColorValueFromText);
        cfg.ReadChild(QStringLiteral("clrText"), item.clrText, ColorValueFromText);
        cfg.ReadChild(QStringLiteral("DisplayField"), item.DisplayField, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Visible"), item.Visible, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Search"), item.Search, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Select"), item.Select, LeadingInteger);
        cfg.ReadChild(QStringLiteral("SemiTransparence"), item.SemiTransparence, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Edit"), item.Edit, LeadingInteger);
        cfg.ReadChild(QStringLiteral("MapDataType"), item.MapDataType, LeadingInteger);
        InsertMapLayer(-1, item);
    }
    return 1;
}
