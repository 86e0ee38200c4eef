#pragma once

// Helpers shared by the source files of CRoadDesign; not part of the library's interface.

#include "geometry/Angle.h"

#include <QString>

#include <cmath>

namespace RoadDesignDetail
{
using Angle::kPi;
using Angle::kTwoPi;

// Brings a bearing into [1e-5, 2π + 1e-5] the way the model reports bearings (due north reads as
// 2π). False for a value that is not finite (no turn count can bring it into range).
inline bool NormaliseBearing(double& bearing)
{
    if (!std::isfinite(bearing)) return false;
    bearing = Angle::WrapBearingFrom(bearing, 1e-5);
    return true;
}

// Labels the main points at element starts. A label is made from the kind of the element and
// of the last element before it that is not a start point; each label kind has its own counter.
// A straight after a straight starts at a crossing point without a curve: "JD-nn" (repeating the
// previous label there would call two different points "QD"). Other combinations without a label
// of their own repeat the previous main point's label.
class MainPointLabeler
{
public:
    // `index` is the record's position in the chain, `previousKind` 0 when no element precedes it.
    QString StartLabel(int index, int kind, int previousKind)
    {
        QString label;
        if (kind == 2)
        {
            if (index == 1) label = QStringLiteral("QD");
            else if (previousKind == 3) label = Numbered("YZ", m_yz);
            else if (previousKind == 4) label = Numbered("HZ", m_hz);
            else if (previousKind == 2) label = Numbered("JD", m_jd);
        }
        else if (kind == 3)
        {
            if (previousKind == 2) label = Numbered("ZY", m_zy);
            else if (previousKind == 4) label = Numbered("HY", m_hy);
        }
        else if (kind == 4)
        {
            if (previousKind == 2) label = Numbered("ZH", m_zh);
            else if (previousKind == 3) label = Numbered("YH", m_yh);
        }
        if (label.isEmpty()) return m_last;
        m_last = label;
        return label;
    }

    // The label of the next curve middle; counts circular curves.
    QString MiddleLabel() { return Numbered("QZ", m_qz); }

private:
    static QString Numbered(const char* prefix, int& counter)
    {
        ++counter;
        return QString::asprintf("%s-%02d", prefix, counter);
    }

    int m_zh = 0, m_hy = 0, m_yh = 0, m_hz = 0, m_zy = 0, m_yz = 0, m_qz = 0, m_jd = 0;
    QString m_last;
};
} // namespace RoadDesignDetail
