#include "map/CMouseListenerManage.h"

#include "map/CMouseListenerView.h"

#include <iterator>

CMouseListenerManage::~CMouseListenerManage()
{
    RemoveAllMouseListener();
    m_Key = 0;
    m_SubKey = 0;
}

int CMouseListenerManage::SetMouseListenerKey(int key, int subKey)
{
    const int previous = m_Key;
    m_Key = key;
    m_SubKey = subKey;
    return previous;
}

CMouseListenerView* CMouseListenerManage::Find(int key) const
{
    auto it = m_Listeners.find(key);
    return it == m_Listeners.end() ? nullptr : it->second;
}

void CMouseListenerManage::AddMouseListener(int key, CMouseListenerView* listener)
{
    if (!listener) return;
    m_Listeners[key] = listener;
}

void CMouseListenerManage::RemoveMouseListener(CMouseListenerView* listener)
{
    for (auto it = m_Listeners.begin(); it != m_Listeners.end();)
        it = it->second == listener ? m_Listeners.erase(it) : std::next(it);
}

void CMouseListenerManage::RemoveMouseListener(int key)
{
    auto it = m_Listeners.find(key);
    if (it == m_Listeners.end()) return;
    CMouseListenerView* listener = it->second;
    m_Listeners.erase(it);
    // The same listener may sit under other keys too: drop those entries before deleting it.
    RemoveMouseListener(listener);
    delete listener;
}

void CMouseListenerManage::RemoveAllMouseListener()
{
    // A listener registered under several keys is deleted once.
    while (!m_Listeners.empty()) RemoveMouseListener(m_Listeners.begin()->first);
}
