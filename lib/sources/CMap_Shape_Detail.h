#pragma once

// Helpers of the shape source shared by its files. Internal: includes GDAL.

#include <QByteArray>
#include <QString>

#include <ogrsf_frmts.h>

#include <memory>

namespace shapedetail
{
// The character set the layer's text attributes are stored in, as the driver reports it (the
// ".cpg" file or the dBASE language byte); empty when unknown. The data set is opened without
// recoding, so texts arrive as stored and are decoded here.
QByteArray LayerEncoding(OGRLayer* layer);

// Attribute bytes as text: in the layer's encoding when known, else UTF-8 when they are valid
// UTF-8, else GBK (what Chinese programs write without saying so).
QString DecodeText(const char* bytes, const QByteArray& encoding);

// The value text of a fill-colour table: a real attribute "%f" without trailing zeros and point
// (2.50 -> "2.5", 3.00 -> "3"), any other attribute its text with every blank removed.
QString ValueText(OGRFeature* feature, int field, const QByteArray& encoding);

// True when every vertex of `g` (and of its rings and parts) has finite coordinates. A damaged
// file can hold NaN or infinite vertices; the overlay library crashes on them, so such geometries
// are kept away from it.
bool HasFiniteCoordinates(const OGRGeometry* g);

struct FeatureDeleter
{
    void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};
using FeaturePtr = std::unique_ptr<OGRFeature, FeatureDeleter>;
} // namespace shapedetail

namespace shapedetail
{
// Keeps GDAL's complaints about damaged files off stderr while the source reads; the source
// reports failures itself.
struct QuietGdal
{
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

// Registers GDAL's drivers once per process.
void RegisterDrivers();
} // namespace shapedetail
