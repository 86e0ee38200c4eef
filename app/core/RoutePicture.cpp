#include "app/core/RoutePicture.h"

#include "map/CMapConvert.h"
#include "map/CMapManage.h"
#include "platform/Color.h"
#include "road/CRoadDesign.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

double RoutePictureScale(const CMapConvert& view, QSize size)
{
    const CRect rc = view.GetClientRect();
    if (size.width() <= 0 || size.height() <= 0 || rc.Width() <= 0 || rc.Height() <= 0) return view.GetScale();
    return view.GetScale() * std::max(double(rc.Width()) / size.width(), double(rc.Height()) / size.height());
}

QImage RenderRoutePicture(const CRoadDesign& road, const CMapConvert& view, QSize size, const RoutePictureOptions& options)
{
    if (size.width() < 16 || size.height() < 16 || size.width() > 20000 || size.height() > 20000) return QImage();
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) return picture;

    // A manager of its own for the converter, the north arrow and the scale bar the view draws;
    // nothing is requested from it, so it starts no drawing thread.
    CMapManage frame;
    CMapConvert& c = frame.m_MapConvert;
    const CRect rc = view.GetClientRect();
    double centreX = 0, centreY = 0;
    view.ClientToWorld((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, centreX, centreY);
    const double scale = RoutePictureScale(view, size);
    c.SetClientRect(CRect(0, 0, size.width(), size.height()));
    c.SetBackGroundColor(view.GetBackGroundColor());
    c.SetScale(scale);
    c.SetStartCor({centreX - size.height() * scale / 2, centreY - size.width() * scale / 2, 0});

    picture.fill(ToQColor(view.GetBackGroundColor()));
    QPainter painter(&picture);
    road.Draw(&painter, &c, options.labelMode, options.stationStyle);
    frame.DrawNorthPointer(&painter);
    frame.DrawScale(&painter);
    painter.end();
    return picture;
}

QString TitleBlock::Text() const
{
    QString text = QStringLiteral("线路：%1    日期：%2").arg(routeName, date.toString(QStringLiteral("yyyy-MM-dd")));
    if (scaleDenominator >= 1.0) text += QStringLiteral("    比例 1:%1").arg(std::llround(scaleDenominator));
    return text;
}

PrintedPageLayout LayOutPrintedPage(const QRect& page)
{
    PrintedPageLayout layout;
    layout.fontPixels = std::max(8, page.height() / 45);
    QFont font;
    font.setPixelSize(layout.fontPixels);
    const int block = 2 * QFontMetrics(font).height();
    layout.titleArea = QRect(page.left(), page.bottom() + 1 - block, page.width(), block);
    layout.mapArea = QRect(page.left(), page.top(), page.width(), std::max(1, page.height() - block));
    return layout;
}

QSize PrintedPictureSize(const QRect& mapArea, int maxWidth)
{
    if (mapArea.width() <= 0 || mapArea.height() <= 0) return QSize();
    const double factor = std::min(1.0, double(maxWidth) / mapArea.width());
    return QSize(std::max(16, int(mapArea.width() * factor)), std::max(16, int(mapArea.height() * factor)));
}

double PrintedScaleDenominator(double metresPerPicturePixel, const QRect& mapArea, QSize picture, int dotsPerInch)
{
    if (picture.width() <= 0 || dotsPerInch <= 0) return 0.0;
    const double paperMetresPerPicturePixel = double(mapArea.width()) / picture.width() * 0.0254 / dotsPerInch;
    return metresPerPicturePixel / paperMetresPerPicturePixel;
}

void PaintPrintedPage(QPainter& painter, const PrintedPageLayout& layout, const QImage& picture, const TitleBlock& title)
{
    QFont font = painter.font();
    font.setPixelSize(layout.fontPixels);
    painter.setFont(font);
    if (!picture.isNull()) painter.drawImage(layout.mapArea, picture);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(layout.mapArea.adjusted(0, 0, -1, -1));
    painter.drawRect(layout.titleArea.adjusted(0, 0, -1, -1));
    const int margin = layout.fontPixels / 2;
    painter.drawText(layout.titleArea.adjusted(margin, 0, -margin, 0), Qt::AlignVCenter | Qt::AlignLeft, title.Text());
}
