#pragma once

#include "platform/Export.h"

#include <unordered_map>

class CMouseListenerView;

// The map tools by key: the key chooses the listener, the sub-key the tool it applies. Owns the
// listeners in its table.
class TESVANE_API CMouseListenerManage
{
public:
    CMouseListenerManage() = default;
    virtual ~CMouseListenerManage();
    CMouseListenerManage(const CMouseListenerManage&) = delete;
    CMouseListenerManage& operator=(const CMouseListenerManage&) = delete;

    // Returns the previous key.
    int SetMouseListenerKey(int key, int subKey);
    int GetMouseListenerKey() const { return m_Key; }
    int GetMouseListenerSubKey() const { return m_SubKey; }
    CMouseListenerView* GetMouseListener() const { return Find(m_Key); }
    CMouseListenerView* Find(int key) const;
    // Takes ownership. A listener already under `key` is replaced, not deleted: whoever put it
    // there keeps it.
    void AddMouseListener(int key, CMouseListenerView* listener);
    // Removes every entry holding the listener without deleting it (ownership returns to the caller).
    void RemoveMouseListener(CMouseListenerView* listener);
    // Deletes the listener under `key` and removes the entry.
    void RemoveMouseListener(int key);
    void RemoveAllMouseListener();

private:
    int m_Key = 0;
    int m_SubKey = 0;
    std::unordered_map<int, CMouseListenerView*> m_Listeners;
};
