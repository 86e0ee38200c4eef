// Feeds arbitrary bytes as a curve exchange file to the road design model, then queries and
// exports whatever alignment it accepted. A load either fails or gives finite geometry; the
// indexed inverse query must agree with the plain scan; the export must end (no endless stake
// walk) and never write a non-number. Any crash, sanitizer report or broken invariant fails.

#include "FuzzSupport.h"
#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
class Model : public CRoadDesign
{
public:
    using CRoadDesign::GetPegAndOffsetFullScan;
};

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CompareInverse(const Model& model, double x, double y, int window, double near)
{
    double s1 = 0, o1 = 0, s2 = 0, o2 = 0;
    const int a = model.GetPegAndOffset(x, y, s1, o1, window, near);
    const int b = model.GetPegAndOffsetFullScan(x, y, s2, o2, window, near);
    Check(a == b, "indexed and plain inverse disagree on the result");
    if (a) Check(Same(s1, s2) && Same(o1, o2), "indexed and plain inverse disagree on the answer");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = ScratchPath("fuzz_tdfe", "in.TDFE");
    static const QString stakes = ScratchPath("fuzz_tdfe", "out.dat");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    Model model;
    if (!model.LoadTDFEFile(path))
    {
        Check(!model.IsLoad(), "a failed load left the model loaded");
        return 0;
    }
    // Limit the work per input: long routes are slow to scan, not more interesting.
    if (model.m_RoadElements.size() > 60) return 0;
    for (const CRoadElement& r : model.m_RoadElements)
        Check(std::isfinite(r.m_EndX) && std::isfinite(r.m_EndY) && std::isfinite(r.m_EndStation) &&
                  std::isfinite(r.m_EndBearing),
              "a loaded alignment holds a non-finite value");

    const double first = model.m_RoadElements.front().m_StartStation;
    const double last = model.m_RoadElements.back().m_EndStation;
    for (int k = 0; k <= 8; ++k)
    {
        const double s = first + (last - first) * k / 8.0;
        double x = 0, y = 0, b = 0;
        if (!model.GetAngleAndXY(s, x, y, b, k % 3 == 0 ? 0.0 : 7.5 * (k - 4))) continue;
        Check(b > 0 && b <= 2 * M_PI + 1e-5, "bearing out of range");
        CompareInverse(model, x, y, 0, 0);
        CompareInverse(model, x, y, 1, s);
        CompareInverse(model, x + 40, y - 25, 0, 0);
    }
    CompareInverse(model, model.m_MinX, model.m_MaxY, 0, 0);

    // Short routes only: a 1e300 m straight would be refused, a 100 km one just slow. The
    // stations alone do not tell the length (a start point in the middle restarts them).
    double length = 0;
    for (const CRoadElement& r : model.m_RoadElements) length += std::fabs(r.m_Length);
    if (std::fabs(last - first) < 20000 && length < 20000)
    {
        const double interval = 1.0 + (size % 37);
        if (model.Export(stakes, interval, size % 2 ? 2.5 : 0.0, static_cast<int>(size % 2)))
        {
            QFile f(stakes);
            Check(f.open(QIODevice::ReadOnly), "export reported success without a file");
            const QByteArray bytes = f.readAll();
            Check(!bytes.contains("nan") && !bytes.contains("inf"), "non-number in a stake file");
            Check(bytes.endsWith("\r\n"), "stake file does not end with a line end");
        }
    }
    return 0;
}
