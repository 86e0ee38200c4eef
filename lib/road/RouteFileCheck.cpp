#include "road/RouteFileCheck.h"

#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "road/RouteText.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace
{
const QString kRoadNameKey = QStringLiteral("ROADNAME:");
const QString kMileageKey = QStringLiteral("MELIAGE :");
const QString kElementKey = QStringLiteral("ELEMENT :");
const QString kCrossPointKey = QStringLiteral("CROSSPT :");

// The readers take a missing value as 0, so an empty field is a valid one; anything else must be
// a whole decimal number ("12.5abc" would silently read as 12.5).
bool IsNumberField(const QString& field)
{
    const QString t = field.trimmed();
    if (t.isEmpty()) return true;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    return ok && std::isfinite(v);
}

// The line as a message can show it: at most 60 characters, control characters as '?'.
QString Excerpt(const QString& line)
{
    QString t = line.left(60);
    for (QChar& c : t)
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter) c = QLatin1Char('?');
    if (line.size() > 60) t += QStringLiteral("…");
    return t;
}

struct NumberField
{
    int index;
    const char* name;
};

// The first numeric field that is not a number, as a reason; empty when all are numbers.
QString BadNumber(const QStringList& fields, std::initializer_list<NumberField> numbers)
{
    for (const NumberField& n : numbers)
        if (!IsNumberField(fields.at(n.index)))
            return QStringLiteral("“%1”不是数字（%2）").arg(QString::fromUtf8(n.name), Excerpt(fields.at(n.index).trimmed()));
    return QString();
}

QString ElementProblem(const QString& values)
{
    const QStringList f = SplitFields(values, 11);
    bool ok = false;
    const int type = f.at(0).trimmed().toInt(&ok);
    if (!ok || type < 1 || type > 4) return QStringLiteral("元素类型必须是1至4（%1）").arg(Excerpt(f.at(0).trimmed()));
    return BadNumber(f, {{2, "北坐标"}, {3, "东坐标"}, {4, "高程"}, {6, "方位角"}, {7, "长度"}, {8, "半径"}, {9, "备用值"}});
}

QString CrossPointProblem(const QString& values)
{
    const QStringList f = SplitFields(values, 10);
    return BadNumber(f, {{1, "北坐标"}, {2, "东坐标"}, {3, "高程"}, {5, "左缓曲长"}, {6, "半径"}, {7, "右缓曲长"}, {8, "桩号"}});
}
} // namespace

RouteFileCheckResult CheckRouteFile(const QString& path, RouteMode mode)
{
    RouteFileCheckResult result;
    const QString source = path.trimmed();
    QByteArray bytes;
    if (source.isEmpty() || !QFileInfo(source).isFile() || !ReadWholeFile(source, bytes)) return result;
    result.readable = true;
    if (mode == RouteMode::None) return result;

    // The readers stop at a NUL byte: what follows is lost, so that line is a damaged one.
    const qsizetype nul = bytes.indexOf('\0');
    const bool binary = nul >= 0;
    if (binary) bytes.truncate(nul);
    const QStringList lines = SplitTextLines(FromAnsi(bytes));

    const QString& listKey = mode == RouteMode::Element ? kElementKey : kCrossPointKey;
    const QString& otherKey = mode == RouteMode::Element ? kCrossPointKey : kElementKey;
    int records = 0;
    for (int i = 0; i < lines.size(); ++i)
    {
        const QString& line = lines.at(i);
        if (line.size() < 8 || line.trimmed().isEmpty()) continue; // skipped by the readers
        const QString key = line.left(9);
        const QString values = line.mid(9);
        RouteFileLineProblem problem;
        problem.line = i + 1;
        problem.text = Excerpt(line);
        if (key == kRoadNameKey)
        {
        }
        else if (key == kMileageKey && mode == RouteMode::Element)
        {
            if (!IsNumberField(RouteNameOf(values))) problem.reason = QStringLiteral("起点里程不是数字（%1）").arg(Excerpt(RouteNameOf(values).trimmed()));
        }
        else if (key == listKey)
        {
            problem.reason = mode == RouteMode::Element ? ElementProblem(values) : CrossPointProblem(values);
            problem.recordIndex = records++;
        }
        else if (key == otherKey || (key == kMileageKey && mode == RouteMode::CrossPoint))
        {
            problem.reason = mode == RouteMode::Element ? QStringLiteral("这是交点模式（.RP）线路的记录")
                                                        : QStringLiteral("这是元素模式（.RE）线路的记录");
        }
        else
        {
            problem.reason = QStringLiteral("不是线路记录");
        }
        if (problem.reason.isEmpty())
            ++result.goodRecords;
        else
            result.problems.push_back(problem);
    }
    if (binary)
    {
        // The NUL lies on the line after the last complete one.
        const QString text = FromAnsi(bytes);
        const bool ended = text.isEmpty() || text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'));
        RouteFileLineProblem problem;
        problem.line = static_cast<int>(lines.size()) + (ended ? 1 : 0);
        problem.text = ended ? QString() : Excerpt(lines.constLast());
        problem.reason = QStringLiteral("含有二进制数据，此后的内容无法读取");
        result.problems.push_back(problem);
    }
    return result;
}
