#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// One element of the document: where it is in the text and how it links to its neighbours.
// Offsets and lengths are in UTF-16 units of the document text. 32 bytes.
struct XmlElemRecord
{
    int32_t start = 0;       // offset of '<' of the start tag
    int32_t length = 0;      // whole element, end tag included
    int32_t startTagLength = 0;
    uint32_t endTagAndFlags = 0; // end-tag length in the low 28 bits, flags above
    int32_t parent = 0;
    int32_t firstChild = 0;
    int32_t next = 0;
    int32_t prev = 0;

    static constexpr uint32_t EndTagMask = 0x0FFFFFFFu;
    static constexpr uint32_t FlagIllFormed = 0x10000000u;
    static constexpr uint32_t FlagFree = 0x20000000u;

    int32_t EndTagLength() const { return static_cast<int32_t>(endTagAndFlags & EndTagMask); }
    void SetEndTagLength(int32_t n)
    {
        endTagAndFlags = (endTagAndFlags & ~EndTagMask) | (static_cast<uint32_t>(n) & EndTagMask);
    }
    bool IsIllFormed() const { return (endTagAndFlags & FlagIllFormed) != 0; }
    bool IsFree() const { return (endTagAndFlags & FlagFree) != 0; }
    int32_t End() const { return start + length; }
};
static_assert(sizeof(XmlElemRecord) == 32, "element records are 32 bytes");

// The element index: records allocated in segments of 65536 so that a large document never moves
// the records it already has; record 0 stands for the document. Released records are chained
// through `next` into a free list and reused. The first segment starts small and grows, so that
// the many small configuration documents do not each hold two megabytes.
class XmlElemIndex
{
public:
    static constexpr int SegmentBits = 16;
    static constexpr int SegmentSize = 1 << SegmentBits;

    XmlElemIndex() { Clear(); }
    XmlElemIndex(const XmlElemIndex& other) = default;
    XmlElemIndex& operator=(const XmlElemIndex& other) = default;

    // Drops every record but the document record, which is reset.
    void Clear()
    {
        m_segments.clear();
        m_segments.emplace_back();
        m_segments[0].reserve(64);
        m_segments[0].emplace_back();
        m_used = 1;
        m_freeHead = 0;
    }

    XmlElemRecord& operator[](int i) { return m_segments[static_cast<size_t>(i) >> SegmentBits][i & (SegmentSize - 1)]; }
    const XmlElemRecord& operator[](int i) const
    {
        return m_segments[static_cast<size_t>(i) >> SegmentBits][i & (SegmentSize - 1)];
    }

    // True for an index that names a record in use (not free, not out of range).
    bool IsLive(int i) const { return i > 0 && i < m_used && !(*this)[i].IsFree(); }

    // A fresh zeroed record, from the free list when possible.
    int Allocate()
    {
        int i;
        if (m_freeHead)
        {
            i = m_freeHead;
            m_freeHead = (*this)[i].next;
        }
        else
        {
            i = m_used++;
            const size_t seg = static_cast<size_t>(i) >> SegmentBits;
            if (seg == m_segments.size())
            {
                m_segments.emplace_back();
                m_segments.back().reserve(SegmentSize);
            }
            m_segments[seg].emplace_back();
        }
        (*this)[i] = XmlElemRecord();
        return i;
    }

    void Release(int i)
    {
        XmlElemRecord& r = (*this)[i];
        r = XmlElemRecord();
        r.endTagAndFlags = XmlElemRecord::FlagFree;
        r.next = m_freeHead;
        m_freeHead = i;
    }

    int Used() const { return m_used; }

private:
    std::vector<std::vector<XmlElemRecord>> m_segments;
    int m_used = 1;
    int m_freeHead = 0;
};
