#pragma once

#include "map/CMapConvert.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QString>

namespace sourcestest
{
struct CliResult
{
    int code;
    QString out, err;
};

// Runs the command-line tool with the arguments and collects its exit code and output.
inline CliResult RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// A 200 x 100 view at one metre per pixel whose bottom-left corner is the world point
// (x0, y0): world x grows upwards, y to the right.
inline void SetView(CMapConvert& conv, double x0, double y0, double scale = 1.0, int w = 200, int h = 100)
{
    conv.SetClientRect(CRect(0, 0, w, h));
    conv.SetScale(scale);
    conv.SetStartCor(xyhCoord{x0, y0, 0.0});
}

inline QImage WhiteImage(int w = 200, int h = 100)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QRgb Rgb(unsigned long colorref)
{
    return qRgb(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

inline int Count(const QImage& img, QRgb rgb, QRect area = QRect())
{
    if (area.isNull()) area = img.rect();
    area = area.intersected(img.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++n;
    return n;
}
// Pixels that are not white: text is antialiased, so its colour is counted this way.
inline int CountInk(const QImage& img, const QRect& area)
{
    const QRect r = area.intersected(img.rect());
    return r.width() * r.height() - Count(img, qRgb(255, 255, 255), r);
}
} // namespace sourcestest
