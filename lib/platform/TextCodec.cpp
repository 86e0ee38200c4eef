#include "platform/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace
{
const char* const kAnsiEncoding = "CP936";
const char* const kUtf16 = "UTF-16LE";

// Owns one iconv descriptor; (iconv_t)-1 when the pair of encodings is unknown.
class IconvHandle
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid()) iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Runs iconv over the whole input. On an invalid or incomplete sequence, `onError` appends a
// replacement to the output and returns how many input bytes to skip.
template <typename OnError>
QByteArray RunIconv(iconv_t cd, const char* data, size_t size, OnError onError)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(size * 2 + 16));
    char* inPtr = const_cast<char*>(data);
    size_t inLeft = size;
    char buffer[4096];
    while (inLeft > 0)
    {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip the offending bytes, reset the shift state and go on.
        size_t skip = onError(out, inLeft);
        if (skip > inLeft) skip = inLeft;
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
    return out;
}
} // namespace

QString DecodeText(const QByteArray& bytes, const char* encoding, bool* ok)
{
    IconvHandle cd(kUtf16, encoding);
    if (ok) *ok = cd.valid();
    if (!cd.valid()) return QString();
    QByteArray utf16 = RunIconv(cd.get(), bytes.constData(), static_cast<size_t>(bytes.size()),
                                [](QByteArray& out, size_t) {
                                    out.append("\xFD\xFF", 2); // U+FFFD little endian
                                    return size_t(1);
                                });
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QByteArray EncodeText(const QString& text, const char* encoding, bool* ok)
{
    IconvHandle cd(encoding, kUtf16);
    if (ok) *ok = cd.valid();
    if (!cd.valid()) return QByteArray();
    const char* data = reinterpret_cast<const char*>(text.utf16());
    const size_t size = static_cast<size_t>(text.size()) * 2;
    return RunIconv(cd.get(), data, size, [data, size](QByteArray& out, size_t left) {
        out.append('?');
        // Skip a whole surrogate pair at once so that it yields one '?'.
        const size_t pos = size - left;
        if (left >= 4)
        {
            const unsigned char hi = static_cast<unsigned char>(data[pos + 1]);
            if (hi >= 0xD8 && hi <= 0xDB) return size_t(4);
        }
        return size_t(2);
    });
}

bool IsEncodingKnown(const char* encoding)
{
    IconvHandle cd(kUtf16, encoding);
    return cd.valid();
}

QString FromAnsi(const QByteArray& bytes) { return DecodeText(bytes, kAnsiEncoding); }
QByteArray ToAnsi(const QString& text) { return EncodeText(text, kAnsiEncoding); }
QString FromUtf8(const QByteArray& bytes) { return QString::fromUtf8(bytes); }
QByteArray ToUtf8(const QString& text) { return text.toUtf8(); }
