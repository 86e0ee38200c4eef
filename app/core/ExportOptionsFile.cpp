#include "app/core/ExportOptionsFile.h"

#include "markup/CXmlDocument.h"
#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "platform/NumberText.h"

#include <cmath>
#include <limits>

namespace
{
// Whole metres toward zero, kept inside the range of an int so that a huge value cannot overflow.
long long Truncated(double v)
{
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(v);
    const double limit = static_cast<double>(std::numeric_limits<int>::max());
    if (t > limit) return std::numeric_limits<int>::max();
    if (t < -limit) return -std::numeric_limits<int>::max();
    return static_cast<long long>(t);
}
} // namespace

QString ExportOptionsPath(const QString& configDir) { return JoinPath(configDir, QStringLiteral("\\RoadExport.cfg")); }

void ReadExportOptions(const QString& configDir, ExportOptions& options)
{
    CXmlDocument doc;
    if (!doc.Load(ExportOptionsPath(configDir))) return;
    if (!doc.FindElem(QStringLiteral("HEAD"))) return;
    doc.IntoElem();
    if (!doc.FindElem(QStringLiteral("RoadDesign_Export"))) return;
    doc.IntoElem();
    if (doc.FindElem(QStringLiteral("Ver"))) (void)doc.GetData();
    if (!doc.FindElem(QStringLiteral("Option"))) return;
    if (doc.FindChildElem(QStringLiteral("CalculateMode"))) options.mode = LeadingInteger(doc.GetChildData());
    doc.ResetChildPos();
    if (doc.FindChildElem(QStringLiteral("Interval"))) options.interval = LeadingNumber(doc.GetChildData());
    doc.ResetChildPos();
    if (doc.FindChildElem(QStringLiteral("OffsetDistance"))) options.offset = LeadingNumber(doc.GetChildData());
}

bool SaveExportOptions(const QString& configDir, const ExportOptions& options)
{
    CXmlDocument doc;
    doc.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    doc.AddElem(QStringLiteral("HEAD"));
    doc.IntoElem();
    doc.AddElem(QStringLiteral("RoadDesign_Export"));
    doc.IntoElem();
    doc.AddElem(QStringLiteral("Ver"), QStringLiteral("1.0.1.1"));
    doc.AddElem(QStringLiteral("Option"));
    doc.AddChildElem(QStringLiteral("CalculateMode"), QString::number(options.mode));
    doc.AddChildElem(QStringLiteral("Interval"), QString::number(Truncated(options.interval)));
    doc.AddChildElem(QStringLiteral("OffsetDistance"), QString::number(Truncated(options.offset)));
    return WriteFileAtomically(ExportOptionsPath(configDir), doc.GetDoc().toUtf8());
}

bool AcceptExportOptions(const QString& configDir, const ExportOptions& options)
{
    // Written so that NaN is refused as well.
    if (!(std::fabs(options.interval) >= 1e-6) || !(options.interval >= 1e-6) || !std::isfinite(options.interval) ||
        !std::isfinite(options.offset))
    {
        ShowMessage(QStringLiteral("间隔输入错误，请重新输入！"), WarningCaption(), MessageKind::Warning);
        return false;
    }
    (void)SaveExportOptions(configDir, options);
    return true;
}
