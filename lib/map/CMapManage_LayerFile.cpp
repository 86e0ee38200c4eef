// The map manager's layer file "MapLayer.cfg": the configuration folder and the list of layers.
#include "map/CMapManage.h"

#include "map/MapText.h"
#include "markup/CXmlDocument.h"
#include "platform/FileIO.h"

namespace
{
const QString kLayerFile = QStringLiteral("\\MapLayer.cfg");
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
    CXmlDocument xml;
    xml.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    xml.AddElem(QStringLiteral("HEAD"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("MapLayer"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("Ver"), QStringLiteral("1.0.1.1"));
    for (const auto& layer : m_MapLayers)
    {
        if (!layer) continue;
        const MapConfigItem item = layer->GetMapItem();
        xml.AddElem(QStringLiteral("MapLayer_Item"));
        xml.AddChildElem(QStringLiteral("LayerName"), item.LayerName);
        xml.AddChildElem(QStringLiteral("FullPathName"), item.FullPathName);
        xml.AddChildElem(QStringLiteral("DictionaryPathName"), item.DictionaryPathName);
        xml.AddChildElem(QStringLiteral("Format"), QString::number(item.Format));
        xml.AddChildElem(QStringLiteral("Style"), QString::number(item.Style));
        xml.AddChildElem(QStringLiteral("Size"), QString::number(item.Size));
        xml.AddChildElem(QStringLiteral("clrOutLine"), maptext::ColorText(item.clrOutLine));
        xml.AddChildElem(QStringLiteral("clrFill"), maptext::ColorText(item.clrFill));
        xml.AddChildElem(QStringLiteral("clrText"), maptext::ColorText(item.clrText));
        xml.AddChildElem(QStringLiteral("DisplayField"), QString::number(item.DisplayField));
        xml.AddChildElem(QStringLiteral("Visible"), QString::number(item.Visible));
        xml.AddChildElem(QStringLiteral("Search"), QString::number(item.Search));
        xml.AddChildElem(QStringLiteral("Select"), QString::number(item.Select));
        xml.AddChildElem(QStringLiteral("SemiTransparence"), QString::number(item.SemiTransparence));
        xml.AddChildElem(QStringLiteral("Edit"), QString::number(item.Edit));
        xml.AddChildElem(QStringLiteral("MapDataType"), QString::number(item.MapDataType));
    }
    return xml.Save(JoinPath(m_ConfigPath, kLayerFile)) ? 1 : 0;
}

int CMapManage::ConfigRead()
{
    if (m_ConfigPath.isEmpty()) return 0;
    CXmlDocument xml;
    if (!xml.Load(JoinPath(m_ConfigPath, kLayerFile))) return 0;
    if (!xml.FindElem(QStringLiteral("HEAD"))) return 0;
    xml.IntoElem();
    if (!xml.FindElem(QStringLiteral("MapLayer"))) return 0;
    xml.IntoElem();
    xml.FindElem(QStringLiteral("Ver"));

    Clear();

    // Fields an item leaves out keep the previous item's value, except the name and the flags,
    // which start afresh for every item.
    MapConfigItem item;
    while (xml.FindElem(QStringLiteral("MapLayer_Item")))
    {
        item.LayerName.clear();
        item.Search = 1;
        item.Select = 0;
        item.SemiTransparence = 0;
        item.Edit = 0;
        item.MapDataType = 0;
        item.Reload = 0;
        auto text = [&xml](const char* name, QString& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = xml.GetChildData();
        };
        auto number = [&xml](const char* name, int& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = maptext::ToInt(xml.GetChildData());
        };
        auto color = [&xml](const char* name, unsigned long& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = maptext::ToColor(xml.GetChildData());
        };
        text("LayerName", item.LayerName);
        text("FullPathName", item.FullPathName);
        text("DictionaryPathName", item.DictionaryPathName);
        number("Format", item.Format);
        number("Style", item.Style);
        number("Size", item.Size);
        color("clrOutLine", item.clrOutLine);
        color("clrFill", item.clrFill);
        color("clrText", item.clrText);
        number("DisplayField", item.DisplayField);
        number("Visible", item.Visible);
        number("Search", item.Search);
        number("Select", item.Select);
        number("SemiTransparence", item.SemiTransparence);
        number("Edit", item.Edit);
        number("MapDataType", item.MapDataType);
        InsertMapLayer(-1, item);
    }
    return 1;
}
