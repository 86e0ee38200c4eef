#include "map/CMapConvert.h"

#include "markup/ConfigDocument.h"
#include "platform/FileIO.h"
#include "platform/NumberText.h"

#include <climits>
#include <cmath>

namespace
{
// The parameters a drawing thread uses for one converter while it composes a picture.
thread_local const CMapConvert* tl_frameConvert = nullptr;
thread_local const GraphParameter* tl_frame = nullptr;

constexpr double kMinScale = 1e-7;
constexpr double kMaxStart = 1e11;

const QString kFileName = QStringLiteral("\\MapConvert.cfg");
const QString kSection = QStringLiteral("MapConfig");
} // namespace

long TruncToLong(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (v <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(v);
}

CMapConvert::CMapConvert() = default;
CMapConvert::CMapConvert(const CMapConvert& other) = default;
CMapConvert& CMapConvert::operator=(const CMapConvert& other) = default;
CMapConvert::~CMapConvert() = default;

const GraphParameter& CMapConvert::Par() const
{
    if (tl_frameConvert == this) return *tl_frame;
    return m_Par;
}

CMapConvert::FrameScope::FrameScope(const CMapConvert* convert, const GraphParameter* frame)
{
    tl_frameConvert = convert;
    tl_frame = frame;
}

CMapConvert::FrameScope::~FrameScope()
{
    tl_frameConvert = nullptr;
    tl_frame = nullptr;
}

void CMapConvert::SetConfigPath(const QString& folder)
{
    m_ConfigPath = folder;
    ConfigRead();
}

void CMapConvert::SetStartCor(const xyhCoord& start)
{
    // A non-finite coordinate would poison every later conversion; it is refused like one that
    // is out of range.
    if (!std::isfinite(start.x) || !std::isfinite(start.y)) return;
    if (std::fabs(start.x) > kMaxStart || std::fabs(start.y) > kMaxStart) return;
    m_Par.StartCor = start;
}

void CMapConvert::SetScale(double scale)
{
    if (scale >= 1e-6 && scale <= 1e6) m_Par.Scale = scale;
}

void CMapConvert::SetBackGroundColor(unsigned long color)
{
    m_Par.BackGround = color;
    ConfigSave();
}

void CMapConvert::SetGraphPar(const GraphParameter& par)
{
    m_Par = par;
    ConfigSave();
}

int CMapConvert::IsGraphParChanged()
{
    const GraphParameter& a = m_Par;
    const GraphParameter& b = m_Saved;
    const bool changed = std::fabs(a.StartCor.x - b.StartCor.x) > 1e-7 || std::fabs(a.StartCor.y - b.StartCor.y) > 1e-7 ||
                         std::fabs(a.StartCor.h - b.StartCor.h) > 1e-4 || std::fabs(a.Scale - b.Scale) > 1e-7 ||
                         a.BackGround != b.BackGround;
    if (!changed) return 0;
    m_Saved = m_Par;
    ConfigSave();
    return 1;
}

void CMapConvert::WorldToClientExact(double x, double y, double& cx, double& cy) const
{
    const GraphParameter& p = Par();
    if (!(p.Scale >= kMinScale))
    {
        cx = cy = 0.0;
        return;
    }
    cx = (y - p.StartCor.y) / p.Scale + p.ClientRect.left + 0.5;
    cy = p.ClientRect.bottom - (x - p.StartCor.x) / p.Scale + 0.5;
}

void CMapConvert::WorldToClient(double x, double y, long& cx, long& cy) const
{
    double fx, fy;
    WorldToClientExact(x, y, fx, fy);
    cx = TruncToLong(fx);
    cy = TruncToLong(fy);
}

void CMapConvert::WorldToClient(const xyhCoord& world, CPoint& client) const
{
    long cx, cy;
    WorldToClient(world.x, world.y, cx, cy);
    // CPoint holds ints: saturate rather than wrap for points absurdly far off screen.
    client.x = static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, cx)));
    client.y = static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, cy)));
}

void CMapConvert::WorldToClient(double& a, double& b) const
{
    long cx, cy;
    WorldToClient(a, b, cx, cy);
    a = static_cast<double>(cx);
    b = static_cast<double>(cy);
}

void CMapConvert::ClientToWorld(long cx, long cy, double& x, double& y) const
{
    const GraphParameter& p = Par();
    // Whole-pixel differences first, in 64 bits so that extreme inputs cannot overflow.
    const long long dy = static_cast<long long>(p.ClientRect.bottom) - cy;
    const long long dx = static_cast<long long>(cx) - p.ClientRect.left;
    x = static_cast<double>(dy) * p.Scale + p.StartCor.x;
    y = static_cast<double>(dx) * p.Scale + p.StartCor.y;
}

void CMapConvert::ClientToWorld(const CPoint& client, xyhCoord& world) const
{
    ClientToWorld(client.x, client.y, world.x, world.y);
    world.h = 0.0;
}

void CMapConvert::ClientToWorld(double& a, double& b) const
{
    double x, y;
    ClientToWorld(TruncToLong(a), TruncToLong(b), x, y);
    a = x;
    b = y;
}

long CMapConvert::GetScreenLength(double worldLength) const
{
    const double s = Par().Scale;
    if (!(s >= kMinScale)) return 0;
    return TruncToLong(worldLength / s + 0.5);
}

double CMapConvert::GetSurveyLength(int pixels) const
{
    const double s = Par().Scale;
    if (!(s >= kMinScale)) return 0.0;
    return pixels * s;
}

int CMapConvert::ConfigSave()
{
    // Without a folder the file would land in whatever the current directory happens to be.
    if (m_ConfigPath.isEmpty()) return 0;
    ConfigDocument cfg(kSection);
    cfg.AddGroup(QStringLiteral("StartCor"));
    cfg.AddChild(QStringLiteral("Coorx"), QString::asprintf("%.4f", m_Par.StartCor.x));
    cfg.AddChild(QStringLiteral("Coory"), QString::asprintf("%.4f", m_Par.StartCor.y));
    cfg.AddChild(QStringLiteral("Coorh"), QString::asprintf("%.4f", m_Par.StartCor.h));
    cfg.Add(QStringLiteral("Scale"), QString::asprintf("%.8f", m_Par.Scale));
    cfg.Add(QStringLiteral("BackGround"), ColorValueText(m_Par.BackGround));
    return cfg.Save(JoinPath(m_ConfigPath, kFileName)) ? 1 : 0;
}

int CMapConvert::ConfigRead()
{
    if (m_ConfigPath.isEmpty()) return 0;
    ConfigDocument cfg(kSection);
    if (!cfg.Load(JoinPath(m_ConfigPath, kFileName))) return 0;

    // Values that are not finite numbers ("nan", "inf") would poison every conversion; they are
    // treated like missing elements: the parser of a value yields the value it had instead.
    auto finiteOr = [](const double& value) {
        return [&value](const QString& text) {
            double v = 0.0;
            return ReadLeadingNumber(text, v) == LeadingNumberStatus::NotFinite ? value : v;
        };
    };

    GraphParameter& p = m_Par;
    if (cfg.FindGroup(QStringLiteral("StartCor")))
    {
        cfg.ReadChild(QStringLiteral("Coorx"), p.StartCor.x, finiteOr(p.StartCor.x));
        cfg.ReadChild(QStringLiteral("Coory"), p.StartCor.y, finiteOr(p.StartCor.y));
        cfg.ReadChild(QStringLiteral("Coorh"), p.StartCor.h, finiteOr(p.StartCor.h));
    }
    cfg.Read(QStringLiteral("Scale"), p.Scale, finiteOr(p.Scale));
    cfg.Read(QStringLiteral("BackGround"), p.BackGround, [](const QString& text) { return ColorValueFromText(text); });

    if (std::fabs(p.StartCor.x) > kMaxStart || std::fabs(p.StartCor.y) > kMaxStart)
    {
        p.StartCor.x = 0.0;
        p.StartCor.y = 0.0;
    }
    return 1;
}
