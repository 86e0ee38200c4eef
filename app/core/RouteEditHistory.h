#pragma once

#include "app/core/RouteTypes.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QString>
#include <vector>

class CRouteShell;

// What an edit of the lists or of the properties can change: the route record and both lists
// (definition and rows). Taken whole, since a route holds at most a few thousand small records.
struct RouteEditState
{
    RouteRecord record;
    RouteRecord elementRecord;
    QString elementName;
    double elementStart = 0.0;
    std::vector<Road_Element> elements;
    std::vector<ListRow> elementRows;
    RouteRecord crossPointRecord;
    QString crossPointName;
    double crossPointStart = 0.0;
    std::vector<Road_CrossPoint> crossPoints;
    std::vector<ListRow> crossPointRows;
};

RouteEditState CaptureEditState(const CRouteShell& shell);

// Undo and redo of list edits and property changes. An edit records the state before it; undo
// puts that state back and keeps the current one for redo; a new edit drops what could be redone.
// A restored state is marked modified (the file on disk is the user's to overwrite by saving) and
// its computed columns out of date until the route is applied again.
class CRouteEditHistory
{
public:
    // At most this many steps are kept; the oldest go first.
    static constexpr size_t kMaxSteps = 200;

    void Record(const QString& label, RouteEditState before);
    bool Undo(CRouteShell& shell);
    bool Redo(CRouteShell& shell);
    void Clear();

    bool CanUndo() const { return !m_Undo.empty(); }
    bool CanRedo() const { return !m_Redo.empty(); }
    // What the next undo or redo takes back, for the menu: "撤销 删除交点".
    QString UndoLabel() const { return m_Undo.empty() ? QString() : m_Undo.back().label; }
    QString RedoLabel() const { return m_Redo.empty() ? QString() : m_Redo.back().label; }

private:
    struct Step
    {
        QString label;
        RouteEditState state;
    };
    static void Restore(CRouteShell& shell, const RouteEditState& state);

    std::vector<Step> m_Undo;
    std::vector<Step> m_Redo;
};
