#include "coord/CoordinateSystemDefine.h"

CoordinateSystem_EllipsoidParameter Beijing54Ellipsoid()
{
    CoordinateSystem_EllipsoidParameter e;
    e.Name = QStringLiteral("北京54");
    e.Axis = 6378245.0;
    e.ReciprocalofFlatRate = 298.3;
    return e;
}

CoordinateSystem_EllipsoidParameter WGS84Ellipsoid()
{
    CoordinateSystem_EllipsoidParameter e;
    e.Name = QStringLiteral("WGS84");
    e.Axis = 6378137.0;
    e.ReciprocalofFlatRate = 298.257223563;
    return e;
}
