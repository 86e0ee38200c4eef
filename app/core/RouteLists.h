#pragma once

#include "app/core/RouteTypes.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"
#include "road/RouteCalculation.h"

#include <vector>

// The element list of the input pane without its widgets: the element definition, the rows the
// list shows (one per element, in the same order) and the modified flag. Rows are numbered with the
// row count at the time they were added, so an inserted row keeps a number of its own until the
// route is applied and the list is rebuilt.
class CRouteElementList
{
public:
    // Reads the route file of the record. On success the definition, the record's name and
    // stations and the rows are replaced and the flag cleared; on failure nothing changes.
    int Load(const RouteRecord& record);

    // Inserts after the selected row (appended with no selection or the last row selected) and
    // returns the new row's index. The start point of an empty list is appended the same way.
    int Insert(const Road_Element& element, int selectedRow);
    bool Replace(int row, const Road_Element& element);
    // Removes the row; the rows below are numbered again at once and their computed columns marked
    // out of date, as after every change, until the route is applied again.
    bool Remove(int row);
    const Road_Element* ElementAt(int row) const;
    // Whether a transition curve inserted after `selectedRow` would have a circular arc beside it
    // (or may still get one: appended at the end).
    bool TransitionFits(int selectedRow) const;

    // Saves the route file, checks the elements, computes the route and writes its curve exchange
    // file; on success the rows show the computed values. `saved` (when given) tells whether the
    // route file was written.
    RouteApplyStatus Apply(const RouteRecord& frameRecord, bool* saved = nullptr);

    // Empties the elements and rows (name and start station stay) and clears the flag.
    void Clear();

    static ListRow RowOf(const Road_Element& element, int number);

    RouteRecord m_Record;
    CRoadDesign_Element m_Route;
    CRoadDesign m_CheckModel;
    std::vector<ListRow> m_Rows;
    int m_Modified = 0;

private:
    void RebuildFromModel();
};

// The crossing-point list of the input pane without its widgets.
class CRouteCrossPointList
{
public:
    int Load(const RouteRecord& record);
    int Insert(const Road_CrossPoint& point, int selectedRow);
    bool Replace(int row, const Road_CrossPoint& point);
    bool Remove(int row);
    const Road_CrossPoint* PointAt(int row) const;
    // Saves the route file and converts it into its curve exchange file. The rows stay as typed.
    RouteApplyStatus Apply(const RouteRecord& frameRecord, bool* saved = nullptr);
    void Clear();

    static ListRow RowOf(const Road_CrossPoint& point, int number);

    RouteRecord m_Record;
    CRoadDesign_CrossPoint m_Route;
    std::vector<ListRow> m_Rows;
    int m_Modified = 0;
};
