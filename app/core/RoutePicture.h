#pragma once

#include "road/StationText.h"

#include <QDate>
#include <QImage>
#include <QString>

class CMapConvert;
class CRoadDesign;
class QPainter;

// Pictures of the route for 导出图片 and 打印: what the view shows (same centre, the whole view
// fitted into the picture) drawn anew at the picture's size, with the main-point labels, the
// north arrow and the scale bar, on the view's background.
struct RoutePictureOptions
{
    int labelMode = 3;
    StationStyle stationStyle = StationStyle::KiloMark;
};

// The picture at `size` (each side 16 to 20000 pixels; anything else gives a null image).
QImage RenderRoutePicture(const CRoadDesign& road, const CMapConvert& view, QSize size, const RoutePictureOptions& options);

// The metres one pixel of such a picture stands for.
double RoutePictureScale(const CMapConvert& view, QSize size);

// The title block under a printed picture: route name, date and scale.
struct TitleBlock
{
    QString routeName;
    QDate date;
    // 1:N for the paper: metres per picture pixel over the size of a printed picture pixel.
    double scaleDenominator = 0.0;
    QString Text() const;
};

// A printed page: the picture above a title block two lines high.
struct PrintedPageLayout
{
    QRect mapArea;
    QRect titleArea;
    int fontPixels = 0;
};
PrintedPageLayout LayOutPrintedPage(const QRect& page);

// The size of the picture printed into `mapArea` (at most `maxWidth` pixels wide, the area's
// aspect) and the scale 1:N it is printed at on a device of `dotsPerInch`.
QSize PrintedPictureSize(const QRect& mapArea, int maxWidth);
double PrintedScaleDenominator(double metresPerPicturePixel, const QRect& mapArea, QSize picture, int dotsPerInch);

void PaintPrintedPage(QPainter& painter, const PrintedPageLayout& layout, const QImage& picture, const TitleBlock& title);
