#pragma once

// The map manager's drawing request, shared by its files: the manager owns the pending one, the
// scheduler fills and draws it. Internal.

#include "map/CMapManage.h"
#include "map/CMapOverlay.h"

#include <vector>

// What one picture is drawn from: everything the owner thread may change meanwhile is copied.
struct CMapManage::Request
{
    GraphParameter par;
    std::vector<CMapLayer*> main; // in drawing order: the last of the list first
    std::vector<CMapLayer*> overlay;
    IMapOwnerView* view = nullptr;
    CMapOverlay* surface = nullptr;
};
