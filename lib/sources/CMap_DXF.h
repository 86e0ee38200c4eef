#pragma once

// A DXF drawing shown on the map. dxflib parses the text and calls the creation interface below;
// the source turns what it receives into a few primitives grouped by colour number, expands
// block inserts while importing and draws the result through the map converter. Internal to the
// library: hosts use the layer kind (CMapLayer_DXF, format 3).
//
// Coordinates: a DXF point (X, Y) is the map point x = Y, y = X, so that DXF north points up.

#include "map/CMapLayer.h"
#include "sources/CMap_DXFBlock.h"
#include "sources/CMap_DXFData.h"
#include "sources/DL_ReadFile.h"

#include <dxflib/dl_creationadapter.h>

#include <QHash>
#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CMapConvert;
class IProgressListener;
class QPainter;

class TESVANE_API CMap_DXF : public DL_CreationAdapter
{
public:
    // Block inserts nested deeper than this are skipped, like inserts that reach their own block.
    static constexpr int kMaxInsertDepth = 16;
    // Primitives the expansion of inserts may add to one drawing by default; further inserts are
    // skipped, so that blocks of blocks of blocks cannot multiply into billions of copies.
    static constexpr long long kMaxExpandedPrimitives = 4'000'000;
    // An array insert (MINSERT) of more copies than this places one copy.
    static constexpr long long kMaxArrayCopies = 10'000;

    CMap_DXF();
    ~CMap_DXF() override;
    CMap_DXF(const CMap_DXF&) = delete;
    CMap_DXF& operator=(const CMap_DXF&) = delete;

    // Releases everything, reads the header extent and, when that succeeds, imports.
    int Open();
    // Reads $EXTMIN and $EXTMAX from the header of the item's file; 0 unless both are there.
    int ReadHeaderExtent();
    // Parses the whole file into the colour layers; 0 (and nothing kept) when it cannot be read.
    int Import();
    void Release();

    // The drawing's extent (x the northing): from the header, or from what was imported when the
    // header's corners are not a real box (an empty drawing's 1e20 / -1e20). Always 1.
    int GetRange(double& minX, double& maxX, double& minY, double& maxY) const;
    void Draw(QPainter* painter);
    void SurveyCorToScreenPt(double x, double y, long& cx, long& cy) const;
    long GetScreenLength(double length) const;

    CMap_DXFLayer* GetActiveLayer(int colour);
    // Compared without regard to case; null when there is none.
    CMap_DXFBlock* GetBlock(const QString& name);

    void SetMapItem(const MapConfigItem& item) { m_MapItem = item; }
    MapConfigItem GetMapItem() const { return m_MapItem; }
    QString GetFileName() const { return m_MapItem.FullPathName; }
    void SetConvert(CMapConvert* convert);
    void SetProgressHWND(IProgressListener* progress) { m_pProgress = progress; }
    // Safe from any thread: the import stops at its next group and keeps what it has.
    void StopLoading() { m_Stop.store(true); }
    // Bytes read and file length, in units of 1024 bytes.
    long long GetLoadPos() const { return m_LoadPos.load() / 1024; }
    long long GetLength() const { return m_Length.load() / 1024; }

    int GetColourCount() const { return int(m_Layers.size()); }
    long long GetPrimitiveCount() const;
    const std::vector<std::unique_ptr<CMap_DXFLayer>>& GetLayers() const { return m_Layers; }
    // Inserts skipped because they reached their own block, nested too deep or exceeded the
    // expansion budget, and entities dropped for absurd parameters.
    long long GetSkippedInserts() const { return m_SkippedInserts; }
    long long GetDroppedEntities() const { return m_DroppedEntities; }
    void SetExpansionLimit(long long primitives) { m_ExpansionLimit = primitives; }
    // LINE, ARC, CIRCLE and LWPOLYLINE, the bulk of a survey drawing, are read by the source
    // itself and handed to the creation interface as dxflib would hand them: dxflib reads every
    // number through a string stream, which made it most of an import's time. Off, every group
    // goes through dxflib (to compare the two).
    void SetDirectReading(bool on) { m_DirectReading = on; }

    // The creation interface dxflib calls.
    void setVariableString(const std::string& key, const std::string& value, int code) override;
    void setVariableDouble(const std::string& key, double value, int code) override;
    void addLayer(const DL_LayerData& data) override;
    void addBlock(const DL_BlockData& data) override;
    void endBlock() override;
    void addPoint(const DL_PointData& data) override;
    void addLine(const DL_LineData& data) override;
    void addXLine(const DL_XLineData& data) override;
    void addRay(const DL_RayData& data) override;
    void addArc(const DL_ArcData& data) override;
    void addCircle(const DL_CircleData& data) override;
    void addEllipse(const DL_EllipseData& data) override;
    void addPolyline(const DL_PolylineData& data) override;
    void addVertex(const DL_VertexData& data) override;
    void addSpline(const DL_SplineData& data) override;
    void addControlPoint(const DL_ControlPointData& data) override;
    void addFitPoint(const DL_FitPointData& data) override;
    void addKnot(const DL_KnotData& data) override;
    void addInsert(const DL_InsertData& data) override;
    void addSolid(const DL_SolidData& data) override;
    void addTrace(const DL_TraceData& data) override;
    void addMText(const DL_MTextData& data) override;
    void addMTextChunk(const std::string& text) override;
    void addText(const DL_TextData& data) override;
    void addAttribute(const DL_AttributeData& data) override;
    void addDimAlign(const DL_DimensionData& data, const DL_DimAlignedData& edata) override;
    void addDimLinear(const DL_DimensionData& data, const DL_DimLinearData& edata) override;
    void addDimRadial(const DL_DimensionData& data, const DL_DimRadialData& edata) override;
    void addDimDiametric(const DL_DimensionData& data, const DL_DimDiametricData& edata) override;
    void addDimAngular(const DL_DimensionData& data, const DL_DimAngular2LData& edata) override;
    void addDimAngular3P(const DL_DimensionData& data, const DL_DimAngular3PData& edata) override;
    void addDimOrdinate(const DL_DimensionData& data, const DL_DimOrdinateData& edata) override;
    void addLeader(const DL_LeaderData& data) override;
    void addLeaderVertex(const DL_LeaderVertexData& data) override;
    void addHatch(const DL_HatchData& data) override;
    void addHatchLoop(const DL_HatchLoopData& data) override;
    void addHatchEdge(const DL_HatchEdgeData& data) override;
    void endEntity() override;
    void endSequence() override;

    // Text of the drawing's bytes as the drawing's version and code page say, with the control
    // codes of single-line texts (%%d, %%c, %%p, \U+XXXX) replaced.
    QString DecodeText(const std::string& bytes) const;

private:
    QString DecodeBytes(const QByteArray& raw) const;

public:

private:
    enum class Pending
    {
        None,
        Polyline,
        Spline,
        Leader,
        Hatch
    };

    void FinishPending();
    // Notes what the group stream tells beyond what dxflib reports.
    void NoteGroup(int groupCode, const char* value, int length);
    // The entity's colour as the drawing sets it: by layer and by block resolved outside blocks.
    int ResolvedColour() const;
    int TemplateColour() const;
    // OCS of the entity being handled (its extrusion direction) as a map of its X and Y.
    DxfAffine Ocs() const;
    // Adds a primitive in DXF coordinates: to the block being defined, or to the colour layers.
    void Put(CMap_DXFTemData&& shape, const DxfAffine& ocs = DxfAffine());
    void PutLine(std::vector<dxfcurve::Pt>&& points, const DxfAffine& ocs = DxfAffine());
    void PutText(const QString& text, dxfcurve::Pt at, double height, double angle, int attachment,
                 const DxfAffine& ocs = DxfAffine());
    void AddToLayers(const CMap_DXFTemData& shape, const DxfAffine& m, int colour);
    void InsertBlock(const QString& name, const DxfAffine& m, int rawColour);
    void Expand(const CMap_DXFBlock& block, const DxfAffine& m, int colour, int depth,
                std::vector<const CMap_DXFBlock*>& stack);
    bool DimensionBlock();
    void DimensionFallback(const DL_DimensionData& data, const std::vector<dxfcurve::Pt>& lines, double measured,
                           bool angle);
    double LongestExtent() const;
    void ReportProgress();
    // The entity read without dxflib: started by its group 0, fed its groups, reported when the
    // next group 0 arrives (or the file ends).
    bool StartDirect(const char* type, int length);
    void TakeDirect(int code, const char* value, int length);
    void FinishDirect();

    struct DirectEntity
    {
        enum Kind
        {
            None,
            Line,
            Arc,
            Circle,
            LwPolyline
        } kind = None;
        std::string layer;
        bool hasLayer = false;
        int colour = 256;
        int flags = 0;
        long long declared = -1; // vertices an LWPOLYLINE declares (group 90); -1 when it does not
        double values[13] = {};  // the groups of kDirectCodes, last one wins
        unsigned present = 0;    // bit i: values[i] was given
        std::vector<dxfcurve::Pt> vertices;
        std::vector<double> bulges;
    };
    DirectEntity m_Direct;
    bool m_DirectReading = true;

    // Header extent (map coordinates).
    double m_MinX = 0.0, m_MinY = 0.0, m_MaxX = 0.0, m_MaxY = 0.0;
    std::string m_MText;
    QString m_DimBlk;
    double m_DimTxtHigh = 2.5;

    DL_ReadFile m_ReadFile;
    std::atomic<bool> m_Stop{false};
    std::atomic<long long> m_LoadPos{0};
    std::atomic<long long> m_Length{0};
    int m_LastPercent = -1;

    // The entity under construction.
    Pending m_Pending = Pending::None;
    std::vector<dxfcurve::Pt> m_Vertices;
    std::vector<double> m_Bulges;
    bool m_PendingClosed = false;
    DxfAffine m_PendingOcs;
    int m_SplineDegree = 0;
    std::vector<double> m_Knots, m_Weights;
    std::vector<dxfcurve::Pt> m_FitPoints;
    bool m_LeaderArrow = false;
    bool m_HatchSolid = false;
    std::vector<std::vector<dxfcurve::Pt>> m_HatchRings;
    int m_PendingColour = 256;
    std::string m_PendingLayer;

    CMap_DXFBlock* m_pBlock = nullptr;
    CMap_DXFLayer* m_pActiveLayer = nullptr;
    QHash<QString, int> m_LayerColours;
    std::vector<std::unique_ptr<CMap_DXFLayer>> m_Layers;
    std::vector<std::unique_ptr<CMap_DXFBlock>> m_Blocks;
    QHash<QString, CMap_DXFBlock*> m_BlockIndex; // lower-case name
    int m_SkipBlockDepth = 0;                     // inside a block that is not recorded

    // What the current group stream says about the entity dxflib is about to report.
    std::string m_EntityType;
    std::string m_NextEntityType;
    QString m_EntityBlockName;
    // An MTEXT's direction vector (dxflib reports its angle in radians then, in degrees otherwise).
    bool m_MTextHasDirection = false;
    double m_MTextDirX = 1.0, m_MTextDirY = 0.0;
    long long m_EntityGroups[3] = {0, 0, 0}; // groups 10, 11 and 40 of the entity being read
    // Points, fit points and knots the pending entity may still take.
    long long m_PointLimit = 0, m_FitLimit = 0, m_KnotLimit = 0;
    std::string m_AcadVer;
    std::string m_CodePage;

    long long m_Expanded = 0;
    long long m_ExpansionLimit = kMaxExpandedPrimitives;
    long long m_SkippedInserts = 0;
    long long m_DroppedEntities = 0;

    MapConfigItem m_MapItem;
    IProgressListener* m_pProgress = nullptr;
    CMapConvert* m_pConvert = nullptr;
};
