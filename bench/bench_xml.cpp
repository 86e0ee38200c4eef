// Parse and full walk of a 10 MB configuration-like document.

#include "markup/CXmlDocument.h"

#include <benchmark/benchmark.h>

namespace
{
const QString& ConfigLikeDocument()
{
    static const QString text = [] {
        QString t = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>\r\n<Ver>1.0.1.1</Ver>\r\n");
        int n = 0;
        while (t.size() < 10 * 1024 * 1024)
        {
            t += QStringLiteral("<Layer name=\"layer %1\" visible=\"1\">\r\n").arg(n);
            t += QStringLiteral("<Path>/data/maps/sheet_%1.shp</Path>\r\n").arg(n);
            t += QStringLiteral("<Color>%1</Color>\r\n<Scale>0.000125</Scale>\r\n").arg(n * 7919 % 16777216);
            t += QString::fromUtf8("<Note>京港澳高速 K%1+345 &amp; 线路</Note>\r\n<Empty/>\r\n</Layer>\r\n").arg(n);
            ++n;
        }
        return t + QStringLiteral("</HEAD>\r\n");
    }();
    return text;
}

// Every element, its data and first attribute, with the position API.
size_t WalkAll(CXmlDocument& doc)
{
    size_t chars = 0;
    doc.ResetPos();
    while (true)
    {
        if (doc.FindElem())
        {
            chars += doc.GetTagName().size() + doc.GetData().size() + doc.GetAttrib(QStringLiteral("name")).size();
            doc.IntoElem();
            continue;
        }
        if (!doc.OutOfElem()) break;
    }
    return chars;
}

void BM_ParseAndWalk(benchmark::State& state)
{
    const QString& text = ConfigLikeDocument();
    const qint64 bytes = text.toUtf8().size();
    for (auto _ : state)
    {
        CXmlDocument doc(text);
        benchmark::DoNotOptimize(WalkAll(doc));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ParseAndWalk)->Unit(benchmark::kMillisecond);

void BM_ParseOnly(benchmark::State& state)
{
    const QString& text = ConfigLikeDocument();
    const qint64 bytes = text.toUtf8().size();
    for (auto _ : state)
    {
        CXmlDocument doc(text);
        benchmark::DoNotOptimize(doc.IsWellFormed());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);
} // namespace
