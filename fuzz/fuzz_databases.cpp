// Feeds arbitrary bytes as an SQLite file to the two database layer kinds: the point database
// (format 9) and the entity database (format 10, with the same file as its style dictionary, so
// that the style reader sees the bytes too). Each is created through the layer registry as the map
// manager creates it, opened, loaded, asked for its extent, drawn into a small picture and
// closed. Damaged files must give an empty or partial layer, never a crash, a hang or an extent
// that is not finite, and the file must be left as it was.

#include "FuzzSupport.h"
#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "platform/MessageSink.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
void OpenAndDraw(int format, const QString& path)
{
    std::unique_ptr<CMapLayer> layer = CreateMapLayer(format);
    Check(layer != nullptr, "the kind is registered");
    MapConfigItem item = layer->GetMapItem();
    item.FullPathName = path;
    item.DictionaryPathName = path;
    item.Format = format;
    item.DisplayField = 1; // labels too
    item.Select = 1;
    layer->SetMapItem(item);
    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, 64, 64));
    layer->SetConvert(&convert);
    layer->Open();

    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (layer->GetRange(minX, maxX, minY, maxY, 0))
    {
        Check(std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY),
              "a finite extent");
        Check(minX <= maxX && minY <= maxY, "an ordered extent");
        const double span = std::max(maxX - minX, maxY - minY);
        convert.SetScale(std::isfinite(span) && span > 0 ? std::max(1e-3, span / 64.0) : 1.0);
        convert.SetStartCor(xyhCoord{minX, minY, 0});
    }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        layer->DrawAll(&painter, 1);
        layer->DrawAll(&painter, 0);
    }
    layer->Close();
    layer->Clear();
}
} // namespace

// Fontconfig, which the GUI application loads for the labels' fonts, keeps its caches until the
// process ends; the leak check at exit must not take them for leaks of the readers.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Labels need fonts, and fonts a GUI application.
    static int argc = 1;
    static char name[] = "fuzz_databases";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
    SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = ScratchPath("fuzz_databases", "in.db");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    OpenAndDraw(9, path);
    OpenAndDraw(10, path);
    // Readers open read-only: the bytes are exactly what was written.
    QFile f(path);
    Check(f.open(QIODevice::ReadOnly) && f.size() == qint64(size), "the file is left as it was");
    return 0;
}
