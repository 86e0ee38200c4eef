#include "road/CRoadConvert.h"

#include <cmath>

int CRoadConvert::CalFourParameter()
{
    if (m_PointPairs.empty()) return 0;
    const double n = static_cast<double>(m_PointPairs.size());
    double msx = 0, msy = 0, mtx = 0, mty = 0;
    for (const Road_convertfour& p : m_PointPairs)
    {
        msx += p.sourceX;
        msy += p.sourceY;
        mtx += p.targetX;
        mty += p.targetY;
    }
    msx /= n;
    msy /= n;
    mtx /= n;
    mty /= n;

    double a = 0, b = 0, c = 0;
    for (Road_convertfour& p : m_PointPairs)
    {
        p.centredSourceX = p.sourceX - msx;
        p.centredSourceY = p.sourceY - msy;
        p.centredTargetX = p.targetX - mtx;
        p.centredTargetY = p.targetY - mty;
        a += p.centredTargetX * p.centredSourceX + p.centredTargetY * p.centredSourceY;
        b += p.centredSourceX * p.centredTargetY - p.centredTargetX * p.centredSourceY;
        c += p.centredSourceX * p.centredSourceX + p.centredSourceY * p.centredSourceY;
    }

    if (c != 0.0)
    {
        m_Theta = std::atan2(b, a);
        m_K = std::sqrt(a * a + b * b) / c;
        const double kc = m_K * std::cos(m_Theta);
        const double ks = m_K * std::sin(m_Theta);
        m_Dx = mtx - kc * msx + ks * msy;
        m_Dy = mty - ks * msx - kc * msy;
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
