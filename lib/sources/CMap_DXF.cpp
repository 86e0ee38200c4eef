#include "sources/CMap_DXF.h"

#include "map/CMapConvert.h"

#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <cstring>

CMap_DXF::CMap_DXF()
{
    m_MapItem.Format = 3;
    m_MapItem.Style = 0;
    m_MapItem.Size = 1;
    m_MapItem.DisplayField = -1;
    m_MapItem.Visible = 1;
    m_MapItem.Select = 0;
    m_MapItem.Reload = 0;
}

CMap_DXF::~CMap_DXF() = default;

void CMap_DXF::SetConvert(CMapConvert* convert)
{
    m_pConvert = convert;
    for (auto& layer : m_Layers) layer->SetConvert(convert);
}

void CMap_DXF::Release()
{
    m_Layers.clear();
    m_Blocks.clear();
    m_BlockIndex.clear();
    m_LayerColours.clear();
    m_pBlock = nullptr;
    m_pActiveLayer = nullptr;
    m_MinX = m_MinY = m_MaxX = m_MaxY = 0.0;
    m_MText.clear();
    m_DimBlk.clear();
    m_Pending = Pending::None;
    m_Direct.kind = DirectEntity::None;
    m_Vertices.clear();
    m_Bulges.clear();
    m_Knots.clear();
    m_Weights.clear();
    m_FitPoints.clear();
    m_HatchRings.clear();
    m_SkipBlockDepth = 0;
    m_Expanded = m_SkippedInserts = m_DroppedEntities = 0;
    m_AcadVer.clear();
    m_CodePage.clear();
    m_LoadPos.store(0);
}

int CMap_DXF::Open()
{
    Release();
    if (!ReadHeaderExtent()) return 0;
    return Import();
}

namespace
{
// A header number: decimal commas are read as points; what is no number reads as 0.
double HeaderNumber(const char* text, int length)
{
    char buffer[64];
    const int n = std::min(length, int(sizeof buffer) - 1);
    for (int i = 0; i < n; ++i) buffer[i] = text[i] == ',' ? '.' : text[i];
    buffer[n] = 0;
    return std::strtod(buffer, nullptr);
}

bool Is(const char* line, int length, const char* word)
{
    return length == int(std::strlen(word)) && std::memcmp(line, word, size_t(length)) == 0;
}
} // namespace

int CMap_DXF::ReadHeaderExtent()
{
    DL_ReadFile reader;
    if (!reader.Open(m_MapItem.FullPathName)) return 0;
    // 0 none, 1 $EXTMIN, 2 $EXTMAX: the variable whose coordinates are being read.
    int variable = 0;
    double x = 0.0, y = 0.0;
    bool haveMin = false, haveMax = false;
    double minDX = 0, minDY = 0, maxDX = 0, maxDY = 0;
    const char* line = nullptr;
    int length = 0;
    while (reader.ReadLine(line, length))
    {
        const int code = int(std::strtol(std::string(line, size_t(length)).c_str(), nullptr, 10));
        if (!reader.ReadLine(line, length)) break;
        if (code == 0 || code == 9)
        {
            if (variable == 1 && !haveMin)
            {
                minDX = x, minDY = y, haveMin = true;
            }
            else if (variable == 2 && !haveMax)
            {
                maxDX = x, maxDY = y, haveMax = true;
            }
            variable = 0;
            // $EXTMAX may be the header's last variable: its corner counts before the ENDSEC.
            if (haveMin && haveMax) break;
            if (Is(line, length, "ENDSEC")) return 0;
            if (code == 9 && Is(line, length, "$EXTMIN")) variable = 1, x = y = 0.0;
            if (code == 9 && Is(line, length, "$EXTMAX")) variable = 2, x = y = 0.0;
        }
        else if (variable != 0 && code == 10)
            x = HeaderNumber(line, length);
        else if (variable != 0 && code == 20)
            y = HeaderNumber(line, length);
    }
    if (!(haveMin && haveMax)) return 0;
    m_MinX = minDY;
    m_MaxX = maxDY;
    m_MinY = minDX;
    m_MaxY = maxDX;
    return 1;
}

int CMap_DXF::GetRange(double& minX, double& maxX, double& minY, double& maxY) const
{
    minX = m_MinX, maxX = m_MaxX, minY = m_MinY, maxY = m_MaxY;
    const bool headerBox = std::isfinite(m_MinX) && std::isfinite(m_MaxX) && std::isfinite(m_MinY) &&
                           std::isfinite(m_MaxY) && m_MinX <= m_MaxX && m_MinY <= m_MaxY &&
                           std::fabs(m_MinX) < 1e15 && std::fabs(m_MaxX) < 1e15 && std::fabs(m_MinY) < 1e15 &&
                           std::fabs(m_MaxY) < 1e15;
    if (headerBox) return 1;
    DxfBox all;
    for (const auto& layer : m_Layers) all.Add(layer->Extent());
    if (!all.IsEmpty()) minX = all.minX, maxX = all.maxX, minY = all.minY, maxY = all.maxY;
    return 1;
}

void CMap_DXF::Draw(QPainter* painter)
{
    if (!painter || !m_pConvert || !m_MapItem.Visible) return;
    painter->save();
    painter->setBrush(Qt::NoBrush);
    for (const auto& layer : m_Layers) layer->Draw(painter, m_pConvert->GetBackGroundColor());
    painter->restore();
}

void CMap_DXF::SurveyCorToScreenPt(double x, double y, long& cx, long& cy) const
{
    cx = cy = 0;
    if (m_pConvert) m_pConvert->WorldToClient(x, y, cx, cy);
}

long CMap_DXF::GetScreenLength(double length) const { return m_pConvert ? m_pConvert->GetScreenLength(length) : 0; }

CMap_DXFLayer* CMap_DXF::GetActiveLayer(int colour)
{
    if (m_pActiveLayer && m_pActiveLayer->GetLayerName() == colour) return m_pActiveLayer;
    for (auto& layer : m_Layers)
        if (layer->GetLayerName() == colour) return m_pActiveLayer = layer.get();
    m_Layers.push_back(std::make_unique<CMap_DXFLayer>(colour));
    m_Layers.back()->SetConvert(m_pConvert);
    return m_pActiveLayer = m_Layers.back().get();
}

CMap_DXFBlock* CMap_DXF::GetBlock(const QString& name) { return m_BlockIndex.value(name.toLower(), nullptr); }

long long CMap_DXF::GetPrimitiveCount() const
{
    long long n = 0;
    for (const auto& layer : m_Layers) n += layer->PrimitiveCount();
    return n;
}
