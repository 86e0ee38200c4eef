#include "sources/DL_ReadFile.h"

#include <cstring>

DL_ReadFile::DL_ReadFile() = default;

DL_ReadFile::~DL_ReadFile() { Close(); }

bool DL_ReadFile::Open(const QString& path)
{
    Close();
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty()) return false;
    m_File.setFileName(trimmed);
    if (!m_File.open(QIODevice::ReadOnly)) return false;
    // A directory or a device opens but is no file to read lines from.
    if (m_File.isSequential())
    {
        m_File.close();
        return false;
    }
    m_FileLength = m_File.size();
    m_FilePosition = 0;
    m_Index = m_Valid = 0;
    m_Open = true;
    return true;
}

void DL_ReadFile::Close()
{
    m_Index = m_Valid = 0;
    m_FilePosition = 0;
    if (m_Open) m_File.close();
    m_Open = false;
}

bool DL_ReadFile::Refill()
{
    m_Index = m_Valid = 0;
    if (!m_Open) return false;
    // Zero bytes are kept as ordinary bytes: ending a chunk at one would silently drop the rest
    // of the chunk, tens of kilobytes of points.
    const qint64 got = m_File.read(m_Buffer, kChunkSize);
    if (got <= 0) return false;
    m_Valid = int(got);
    m_FilePosition += got;
    return true;
}

bool DL_ReadFile::ReadLine(const char*& line, int& length)
{
    int n = 0;
    bool any = false;
    bool ended = false;
    while (n < kLineSize)
    {
        if (m_Index >= m_Valid && !Refill()) break;
        const int take = std::min(m_Valid - m_Index, kLineSize - n);
        const char* from = m_Buffer + m_Index;
        const void* lf = std::memchr(from, '\n', size_t(take));
        const int count = lf ? int(static_cast<const char*>(lf) - from) + 1 : take;
        std::memcpy(m_Line + n, from, size_t(count));
        n += count;
        m_Index += count;
        any = true;
        if (lf)
        {
            ended = true;
            break;
        }
    }
    m_Cut = any && !ended && n == kLineSize;
    if (!any) return false;
    int end = n;
    while (end > 0 && (m_Line[end - 1] == '\n' || m_Line[end - 1] == '\r' || m_Line[end - 1] == ' ' ||
                       m_Line[end - 1] == '\t'))
        --end;
    int begin = 0;
    while (begin < end && (m_Line[begin] == ' ' || m_Line[begin] == '\t')) ++begin;
    line = m_Line + begin;
    length = end - begin;
    return true;
}
