#include "sources/CMap_Shape_Detail.h"

#include "platform/NumberText.h"
#include "platform/TextCodec.h"

#include <QStringDecoder>

namespace shapedetail
{
QByteArray LayerEncoding(OGRLayer* layer)
{
    if (!layer) return {};
    const char* enc = layer->GetMetadataItem("SOURCE_ENCODING", "SHAPEFILE");
    return enc ? QByteArray(enc) : QByteArray();
}

QString DecodeText(const char* bytes, const QByteArray& encoding)
{
    if (!bytes || !*bytes) return QString();
    const QByteArray raw(bytes);
    if (!encoding.isEmpty() && encoding.compare("UTF-8", Qt::CaseInsensitive) != 0 && IsEncodingKnown(encoding.constData()))
        return ::DecodeText(raw, encoding.constData());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError()) return text;
    return FromAnsi(raw);
}

QString ValueText(OGRFeature* feature, int field, const QByteArray& encoding)
{
    OGRFieldDefn* defn = feature->GetFieldDefnRef(field);
    if (defn && defn->GetType() == OFTReal)
    {
        QString text = FormatFixed(feature->GetFieldAsDouble(field), 6);
        if (text.contains(QLatin1Char('.')))
        {
            while (text.endsWith(QLatin1Char('0'))) text.chop(1);
            if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        }
        return text;
    }
    QString text = DecodeText(feature->GetFieldAsString(field), encoding);
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}
} // namespace shapedetail
