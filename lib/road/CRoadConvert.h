#pragma once

#include "platform/Export.h"

#include <vector>

// One point pair of a four-parameter fit; the centred values are filled by the fit.
struct Road_convertfour
{
    double sourceX = 0.0;
    double sourceY = 0.0;
    double targetX = 0.0;
    double targetY = 0.0;
    double centredSourceX = 0.0;
    double centredSourceY = 0.0;
    double centredTargetX = 0.0;
    double centredTargetY = 0.0;
};

// A plane similarity transformation (shift, rotation, scale) with a least-squares fit from point
// pairs. The crossing-point route uses it to carry points from an exit-side local frame into
// the entry-side frame of a curve.
class TESVANE_API CRoadConvert
{
public:
    CRoadConvert() = default;
    virtual ~CRoadConvert() = default;

    // Fits scale, rotation and shift to m_PointPairs. Returns 0 (parameters unchanged) when the
    // list is empty. When every source point coincides the fit is the identity.
    int CalFourParameter();
    void SetFourPar(double dx, double dy, double theta, double k, double cx, double cy);
    // Source -> target, in place.
    void XYtoXY(double& x, double& y) const;
    // Target -> source, in place; the inverse of the fitted transformation (ignores the centre).
    void XYtoXY1(double& x, double& y) const;

    // Starts as the identity so that a transformation before any fit changes nothing.
    double m_K = 1.0;
    double m_Theta = 0.0;
    double m_Dx = 0.0;
    double m_Dy = 0.0;
    double m_Cx = 0.0;
    double m_Cy = 0.0;
    std::vector<Road_convertfour> m_PointPairs;
};
