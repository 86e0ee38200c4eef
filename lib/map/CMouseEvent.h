#pragma once

#include "platform/Export.h"
#include "platform/PointRect.h"

// One mouse message for the map tools: the client point, the button/key flags as received, the
// tool (listener sub-key) current when the event was made, and the map manager it belongs to.
class TESVANE_API CMouseEvent
{
public:
    CMouseEvent(void* source, CPoint point, int flags, int operation)
        : m_Point(point), m_Flags(flags), m_Operate(operation), m_Source(source)
    {
    }
    CMouseEvent(const CMouseEvent&) = default;
    CMouseEvent& operator=(const CMouseEvent&) = default;
    virtual ~CMouseEvent() { m_Source = nullptr; }

    CPoint GetPoint() const { return m_Point; }
    int GetMouseFlag() const { return m_Flags; }
    int GetOperate() const { return m_Operate; }
    void* GetSource() const { return m_Source; }

private:
    CPoint m_Point;
    int m_Flags = 0;
    int m_Operate = 0;
    void* m_Source = nullptr;
};
