#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Color.h"
#include "platform/Export.h"
#include "platform/PointRect.h"

#include <QString>

// The view's graphic parameters.
struct GraphParameter
{
    xyhCoord StartCor;               // world point on the client rectangle's left and bottom edges
    double Scale = 1.0;              // world units per pixel
    CRect ClientRect;                // pixels
    unsigned long BackGround = 0xFFFFFF; // 0x00BBGGRR
};

// World (survey metres; x grows up the screen, y to the right) <-> client pixels. Owned by the
// map manager; layers, data sources and the road drawing hold a borrowed pointer and convert every
// vertex through it. The start coordinate, scale and background persist in "MapConvert.cfg".
//
// Threads: the owner (user-interface) thread reads and writes the parameters. A drawing thread
// never reads them directly: while it composes a picture it installs a copy taken when the
// picture was requested (FrameScope), and every conversion made on that thread through this
// converter uses the copy. So the owner may zoom and pan while a picture is being drawn.
class TESVANE_API CMapConvert
{
public:
    CMapConvert();
    CMapConvert(const CMapConvert& other);
    CMapConvert& operator=(const CMapConvert& other);
    virtual ~CMapConvert();

    void SetConfigPath(const QString& folder);
    QString GetConfigPath() const { return m_ConfigPath; }
    int ConfigRead();
    int ConfigSave();

    void SetStartCor(const xyhCoord& start);
    xyhCoord GetStartCor() const { return Par().StartCor; }
    void SetScale(double scale);
    double GetScale() const { return Par().Scale; }
    void SetClientRect(const CRect& rect) { m_Par.ClientRect = rect; }
    CRect GetClientRect() const { return Par().ClientRect; }
    int PtInClientRect(const CPoint& p) const { return Par().ClientRect.PtInRect(p) ? 1 : 0; }
    void SetBackGroundColor(unsigned long color);
    unsigned long GetBackGroundColor() const { return Par().BackGround; }
    void SetGraphPar(const GraphParameter& par);
    GraphParameter GetGraphPar() const { return Par(); }
    int IsGraphParChanged();

    void WorldToClient(double x, double y, long& cx, long& cy) const;
    void WorldToClient(const xyhCoord& world, CPoint& client) const;
    void WorldToClient(double& a, double& b) const;
    // The client position before rounding to whole pixels (same formula as WorldToClient without
    // the final truncation); 0, 0 when the scale is below 1e-7. For clipping long segments.
    void WorldToClientExact(double x, double y, double& cx, double& cy) const;
    void ClientToWorld(long cx, long cy, double& x, double& y) const;
    void ClientToWorld(const CPoint& client, xyhCoord& world) const;
    void ClientToWorld(double& a, double& b) const;
    long GetScreenLength(double worldLength) const;
    double GetSurveyLength(int pixels) const;

    // Makes every conversion through `convert` on the calling thread use `frame` until the scope
    // ends. Used by the map manager's drawing thread; scopes do not nest.
    class TESVANE_API FrameScope
    {
    public:
        FrameScope(const CMapConvert* convert, const GraphParameter* frame);
        ~FrameScope();
        FrameScope(const FrameScope&) = delete;
        FrameScope& operator=(const FrameScope&) = delete;
    };

private:
    const GraphParameter& Par() const;

    QString m_ConfigPath;
    GraphParameter m_Par;
    GraphParameter m_Saved;
};

// Double to long, truncating toward zero, saturated to the range of long (NaN gives 0), so that
// absurd parameters never turn into undefined behaviour.
TESVANE_API long TruncToLong(double v);
