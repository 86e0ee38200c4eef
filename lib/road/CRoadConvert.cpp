#include "road/CRoadConvert.h"

#include "geometry/PlaneSimilarityFit.h"

#include <cmath>

int CRoadConvert::CalFourParameter()
{
    if (m_PointPairs.empty()) return 0;
    std::vector<PlanePointPair> pairs;
    pairs.reserve(m_PointPairs.size());
    for (const Road_convertfour& p : m_PointPairs)
        pairs.push_back({p.sourceX, p.sourceY, p.targetX, p.targetY});
    const PlaneSimilarityFit fit = FitPlaneSimilarity(pairs);
    for (Road_convertfour& p : m_PointPairs)
    {
        p.centredSourceX = p.sourceX - fit.sourceMeanX;
        p.centredSourceY = p.sourceY - fit.sourceMeanY;
        p.centredTargetX = p.targetX - fit.targetMeanX;
        p.centredTargetY = p.targetY - fit.targetMeanY;
    }

    if (fit.sourceSpread != 0.0)
    {
        m_Theta = fit.rotation;
        m_K = fit.scale;
        fit.ShiftAbout(0.0, 0.0, m_Dx, m_Dy);
    }
    else
    {
        // All source points coincide: nothing determines a rotation or a scale.
        m_Theta = 0.0;
        m_Dx = 0.0;
        m_Dy = 0.0;
        m_K = 1.0;
    }
    return 1;
}

void CRoadConvert::SetFourPar(double dx, double dy, double theta, double k, double cx, double cy)
{
    m_Dx = dx;
    m_Dy = dy;
    m_Theta = theta;
    m_K = k;
    m_Cx = cx;
    m_Cy = cy;
}

void CRoadConvert::XYtoXY(double& x, double& y) const
{
    const double c = std::cos(m_Theta);
    const double s = std::sin(m_Theta);
    const double nx = m_K * (x * c - y * s + m_Cx * (1 - c) + m_Cy * s + m_Cx * (1 - m_K)) + m_Dx;
    const double ny = m_K * (x * s + y * c + m_Cy * (1 - c) - m_Cx * s + m_Cy * (1 - m_K)) + m_Dy;
    x = nx;
    y = ny;
}

void CRoadConvert::XYtoXY1(double& x, double& y) const
{
    const double c = std::cos(m_Theta);
    const double s = std::sin(m_Theta);
    const double ox = (c * (x - m_Dx) + s * (y - m_Dy)) / m_K;
    const double oy = (c * (y - m_Dy) - s * (x - m_Dx)) / m_K;
    x = ox;
    y = oy;
}
