#include <road/CXLine.h>

#include <cmath>
#include <cstdio>

int main()
{
    CXLine line;
    line.SetPars(0.0, 0.0, 0.0, 100.0);
    double x = 0, y = 0;
    line.GetVXY(50.0, x, y, 0.0);
    std::printf("%.3f %.3f\n", x, y);
    return std::fabs(x - 50.0) < 1e-9 ? 0 : 1;
}
