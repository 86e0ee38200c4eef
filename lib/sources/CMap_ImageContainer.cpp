#include "sources/CMap_ImageContainer.h"

#include <QtEndian>

bool CMap_ImageContainer::ReadAt(qint64 pos, char* out, qint64 n)
{
    if (pos < 0 || n < 0 || pos > m_Size || n > m_Size - pos) return false;
    return m_File.seek(pos) && m_File.read(out, n) == n;
}

bool CMap_ImageContainer::ReadTile(int level, int row, int column, QByteArray& bytes)
{
    if (!m_Tried)
    {
        m_Tried = true;
        if (m_File.open(QIODevice::ReadOnly)) m_Size = m_File.size();
    }
    if (!m_File.isOpen() || level < 0 || row < 0 || column < 0) return false;

    uchar word[8];
    if (!ReadAt(20, reinterpret_cast<char*>(word), 4)) return false;
    const quint32 levels = qFromLittleEndian<quint32>(word);
    if (quint32(level) >= levels) return false;

    const qint64 slot = 24 + 8 * qint64(level);
    if (!ReadAt(slot, reinterpret_cast<char*>(word), 8)) return false;
    const qint64 distance = qFromLittleEndian<qint64>(word);
    // The block must start inside the file; the sum cannot overflow once both are bounded.
    if (distance < -slot || distance > m_Size) return false;
    const qint64 block = slot + distance;
    if (!ReadAt(block, reinterpret_cast<char*>(word), 8)) return false;
    const quint32 columns = qFromLittleEndian<quint32>(word);
    const quint32 rows = qFromLittleEndian<quint32>(word + 4);
    if (quint32(row) >= rows || quint32(column) >= columns) return false;

    const qint64 table = block + 8;
    const quint64 index = quint64(columns) * quint64(row) + quint64(column); // < 2^64 / 8 never exceeded below
    if (index > quint64(m_Size) / 8) return false;
    if (!ReadAt(table + qint64(index) * 8, reinterpret_cast<char*>(word), 8)) return false;
    const quint32 offset = qFromLittleEndian<quint32>(word);
    const quint32 size = qFromLittleEndian<quint32>(word + 4);
    if (size == 0 || size > kMaxTileBytes) return false;
    const qint64 start = table + qint64(offset);
    if (start > m_Size || qint64(size) > m_Size - start) return false;
    bytes.resize(qsizetype(size));
    if (!ReadAt(start, bytes.data(), size))
    {
        bytes.clear();
        return false;
    }
    return true;
}
