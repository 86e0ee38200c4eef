#pragma once

#include "platform/Export.h"

#include <QFile>
#include <QString>

// Buffered reader of text lines, shared by the point-file and drawing-exchange sources. It reads
// the file in large chunks so that files of millions of lines need no call per line, and knows
// how far it has got, for progress.
class TESVANE_API DL_ReadFile
{
public:
    static constexpr int kLineSize = 1024;   // a longer line is returned in pieces
    static constexpr int kBufferSize = 40960;
    static constexpr int kChunkSize = 38560; // bytes taken from the file per refill

    DL_ReadFile();
    ~DL_ReadFile();
    DL_ReadFile(const DL_ReadFile&) = delete;
    DL_ReadFile& operator=(const DL_ReadFile&) = delete;

    // Opens the file (path trimmed) read-only; false for an empty path or a file that cannot be
    // opened.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_Open; }

    // The next line, at most kLineSize bytes up to and including its line feed, with trailing
    // line feeds, carriage returns, spaces and tabs and leading spaces and tabs removed. `line`
    // points into the reader and stays valid until the next call. False at end of file.
    bool ReadLine(const char*& line, int& length);

    // True when the last line filled kLineSize bytes without reaching its line feed: the next line
    // read is the rest of it.
    bool LastLineCut() const { return m_Cut; }

    qint64 FileLength() const { return m_FileLength; }
    // Bytes of the file handed out as lines so far.
    qint64 BytesConsumed() const { return m_FilePosition - (m_Valid - m_Index); }

private:
    bool Refill();

    QFile m_File;
    char m_Buffer[kBufferSize];
    int m_Index = 0;
    int m_Valid = 0;
    bool m_Open = false;
    bool m_Cut = false;
    qint64 m_FileLength = 0;
    qint64 m_FilePosition = 0;
    char m_Line[kLineSize];
};
