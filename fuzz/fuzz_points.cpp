// Feeds arbitrary bytes as a point text file to the point-file source: the line reader, both line
// layouts and the progress reports. Every point kept must be finite with both coordinates at least
// 0.0001 in magnitude and inside the extent; progress must start with the caption and a reset and
// then rise strictly within 0..100; the line reader must hand out no line over 1024 bytes and
// account for every byte; searching, selecting and drawing what was read must not fail.

#include "FuzzSupport.h"
#include "map/CMapConvert.h"
#include "platform/MessageSink.h"
#include "platform/ProgressListener.h"
#include "sources/CMap_DAT.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = ScratchPath("fuzz_points", "in.dat");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    DL_ReadFile reader;
    Check(reader.Open(path), "the file opens");
    const char* line = nullptr;
    int length = 0;
    qint64 lines = 0;
    while (reader.ReadLine(line, length))
    {
        Check(length >= 0 && length <= DL_ReadFile::kLineSize, "line length within the work area");
        Check(reader.BytesConsumed() <= reader.FileLength(), "no more consumed than the file holds");
        ++lines;
    }
    Check(reader.BytesConsumed() == qint64(size), "every byte consumed");
    Check(lines <= qint64(size), "no line without a byte");

    CMap_DAT dat;
    MapConfigItem item = dat.GetMapItem();
    item.FullPathName = path;
    dat.SetMapItem(item);
    CheckedProgress progress;
    Check(dat.ImportData(&progress) == 1, "the import succeeds");
    Check(progress.stage == 2, "caption and reset were sent");
    Check(size == 0 || progress.last == 100, "progress ends at 100");

    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    const int n = dat.GetPointCount();
    Check((dat.GetRange(minX, maxX, minY, maxY) == 1) == (n > 0), "an extent exactly when there are points");
    for (int i = 0; i < n; ++i)
    {
        const xyhCoord c = dat.GetPointData(i)->GetPoint();
        Check(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.h), "finite coordinates");
        Check(std::fabs(c.x) >= 0.0001 && std::fabs(c.y) >= 0.0001, "no point at a zero coordinate");
        if (dat.IsPlane()) Check(c.x >= minX && c.x <= maxX && c.y >= minY && c.y <= maxY, "inside the extent");
    }
    if (n > 0 && dat.IsPlane() == 0)
        Check(minX > -90 && maxX < 90 && minY > -180 && maxY < 180, "geographic only within degrees");

    int index = 0;
    if (n > 0)
    {
        const QString name = dat.GetPointData(n - 1)->GetPointName();
        CMap_DATPoint* found = dat.FindData(name, index, 1);
        Check(found != nullptr && index >= 0 && index < n, "a point's own name is found");
    }

    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, 64, 64));
    if (n > 0)
    {
        convert.SetScale(std::max(1e-3, (maxY - minY) / 64.0));
        convert.SetStartCor(xyhCoord{minX, minY, 0});
    }
    dat.SetConvert(&convert);
    Check(dat.SelectEntity(CPoint(0, 0), CPoint(64, 64)) == (dat.GetSelectFIDArray().empty() ? 0 : 1),
          "selection result matches the selection");
    Check(dat.GetSelectFIDArray().size() <= 21, "at most 21 selected");
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    dat.OnDraw(&painter);
    dat.DrawSelectEntity(&painter);
    return 0;
}
