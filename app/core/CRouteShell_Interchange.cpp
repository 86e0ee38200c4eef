// The route's exchange with other programs: LandXML alignments in, DXF drawings out.
#include "app/core/CRouteShell.h"

#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign_Element.h"
#include "road/LandXml.h"
#include "sources/RouteDxfWriter.h"

namespace
{
void Fail(const QString& text) { ShowMessage(text, ErrorCaption(), MessageKind::Error); }
} // namespace

void CRouteShell::ImportLandXml()
{
    if (!SavePrompt()) return;
    const QString xmlPath = m_User.ChooseOpenFile(QStringLiteral("导入 LandXML"),
                                                  QStringLiteral("LandXML 文件 (*.xml *.XML);;所有文件 (*)"));
    if (xmlPath.isEmpty()) return;
    LandXmlDocument document;
    QString error;
    if (!ReadLandXmlFile(xmlPath, document, error))
    {
        Fail(QStringLiteral("读取 LandXML 文件失败：%1").arg(error));
        return;
    }
    QStringList names;
    for (const LandXmlAlignment& a : document.alignments)
        names << QStringLiteral("%1（%2 米，%3 个元素）").arg(a.name, FormatFixed(a.length, 3)).arg(a.elements.size());
    const int chosen = names.size() == 1 ? 0 : m_User.ChooseItem(QStringLiteral("导入 LandXML"), QStringLiteral("线形:"), names);
    if (chosen < 0 || chosen >= names.size()) return;
    const QString routePath = m_User.ChooseSaveFile(QStringLiteral("保存线路文件"), QStringLiteral("线路文件 (*.RE)"),
                                                    QStringLiteral("RE"), true);
    if (routePath.isEmpty()) return;
    (void)ImportLandXmlAlignmentTo(document.alignments[static_cast<size_t>(chosen)], routePath);
}

bool CRouteShell::ImportLandXmlAlignmentTo(const LandXmlAlignment& alignment, const QString& routePath)
{
    if (RouteModeOfPath(routePath) != RouteMode::Element)
    {
        Fail(QStringLiteral("线路文件须以 .RE 结尾！"));
        return false;
    }
    CRoadDesign_Element route;
    const LandXmlImportResult result = ImportLandXmlAlignment(alignment, LandXmlImportOptions(), route);
    if (!result.ok)
    {
        Fail(QStringLiteral("线形“%1”不能导入：%2").arg(alignment.name, result.error));
        return false;
    }
    if (!route.LibraryFile_Save(routePath))
    {
        Fail(QStringLiteral("保存线路文件失败！"));
        return false;
    }
    if (!OpenRoutePath(routePath)) return false;
    double station = 0.0;
    const double worst = LandXmlEndDeviation(alignment, result, Road(), &station);
    QString text = QStringLiteral("已导入线形“%1”：%2 个元素，元素终点与文件坐标最大相差 %3 米（桩号 %4）。")
                       .arg(alignment.name)
                       .arg(route.m_Elements.size())
                       .arg(FormatFixed(worst, 4), FormatFixed(station, 3));
    for (const QString& w : result.warnings) text += QStringLiteral("\n警告：") + w;
    for (const QString& n : result.notes) text += QStringLiteral("\n说明：") + n;
    ShowMessage(text, QuestionCaption(), result.warnings.isEmpty() ? MessageKind::Information : MessageKind::Warning);
    return true;
}

void CRouteShell::ExportDxf()
{
    if (!HasRoute()) return;
    if (!Road().IsLoad())
    {
        Fail(QStringLiteral("线路文件计算错误，不能导出 DXF！"));
        return;
    }
    const QString path =
        m_User.ChooseSaveFile(QStringLiteral("导出 DXF"), QStringLiteral("DXF 文件 (*.dxf)"), QStringLiteral("dxf"), true);
    if (path.isEmpty()) return;
    m_Map.WaitForDrawing();
    QString error;
    if (WriteRouteDxf(Road(), path, RouteDxfOptions(), error))
        ShowMessage(QStringLiteral("DXF 导出完毕！"), QuestionCaption(), MessageKind::Information);
    else
        Fail(QStringLiteral("导出 DXF 失败：%1").arg(error));
}
