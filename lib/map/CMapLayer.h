#pragma once

#include "coord/CoordinateSystemDefine.h"
#include "platform/Export.h"

#include <QString>

#include <functional>
#include <memory>

class CMapConvert;
class IProgressListener;
class QPainter;

// One map layer's configuration, as stored in "MapLayer.cfg" (Reload excepted).
struct MapConfigItem
{
    QString LayerName;
    QString FullPathName;       // the data file; also the layer's identity in a map
    QString DictionaryPathName; // auxiliary dictionary or style file
    int Format = 0;             // data format code: selects the layer kind
    int Style = 0;
    int Size = 0;
    unsigned long clrOutLine = 0;        // 0x00BBGGRR
    unsigned long clrFill = 0xFFFFFF;
    unsigned long clrText = 0;
    int DisplayField = 0;
    int Visible = 1;
    int Search = 0;
    int Select = 0;
    int SemiTransparence = 0;
    int Edit = 0;
    int MapDataType = 0; // carried and saved, not interpreted here
    int Reload = 0;      // not saved: non-zero makes Load reopen an open layer
};

// A map layer. The map manager configures it, opens it, asks for its extent and has it draw
// itself; built-in kinds wrap one data source each, and hosts derive their own kinds.
//
// Threads: DrawAll and GetRange run on the map manager's drawing thread while the owner thread may
// call the rest; the manager waits for drawing to finish before it opens, clears or destroys its
// own layers, so a layer needs no lock of its own.
class TESVANE_API CMapLayer
{
public:
    CMapLayer();
    virtual ~CMapLayer();
    CMapLayer(const CMapLayer&) = delete;
    CMapLayer& operator=(const CMapLayer&) = delete;

    virtual void SetConvert(CMapConvert* convert);
    // The receiver of load progress (the window handle of other toolkits); borrowed.
    virtual void SetHWND(IProgressListener* progress);
    virtual int SetMapItem(const MapConfigItem& item);
    virtual MapConfigItem GetMapItem() const;
    // Resets the item's name and flags (Visible back to 1) and the loaded flag; the paths, format
    // and display fields stay.
    virtual void Clear();
    // World extent (x grows up the screen); 1 when the layer has one.
    virtual int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option);
    // `overlay` is 0 when drawn from the manager's main list, 1 from its overlay list.
    virtual void DrawAll(QPainter* painter, int overlay);
    virtual int GetType() const;
    virtual int Open();
    virtual void Close();
    virtual void SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    virtual void SetProjection(const CoordinateSystem_ProjectParameter& projection);

    int IsLoad() const { return m_IsLoad; }
    void SetBackGroundColor(unsigned long color) { m_BackGroundColor = color; }
    unsigned long GetBackGroundColor() const { return m_BackGroundColor; }
    CMapConvert* GetConvert() const { return m_pMapConvert; }
    IProgressListener* GetHWND() const { return m_hWnd; }
    CoordinateSystem_EllipsoidParameter GetEllipsoid() const { return m_Ellipsoid; }
    CoordinateSystem_ProjectParameter GetProjection() const { return m_Projection; }

protected:
    MapConfigItem m_MapItem;
    CMapConvert* m_pMapConvert = nullptr;
    IProgressListener* m_hWnd = nullptr;
    int m_IsLoad = 0;
    CoordinateSystem_EllipsoidParameter m_Ellipsoid;
    CoordinateSystem_ProjectParameter m_Projection;
    unsigned long m_BackGroundColor = 0xFFFFFF;
};

// The layer kinds by format code. Each kind that wraps a data source registers itself here from
// its own file; a format nobody registered creates no layer.
using MapLayerMaker = std::function<std::unique_ptr<CMapLayer>()>;

// Registers (or, with an empty maker, removes) the kind for `format` and returns the previous
// maker. Owner thread only.
TESVANE_API MapLayerMaker RegisterMapLayerKind(int format, MapLayerMaker maker);

// A new layer of the kind registered for `format`, or null.
TESVANE_API std::unique_ptr<CMapLayer> CreateMapLayer(int format);
