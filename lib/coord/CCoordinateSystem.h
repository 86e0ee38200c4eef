#pragma once

#include "coord/CoordinateSystemDefine.h"
#include "platform/Export.h"

#include <QString>

// One named coordinate system definition and the XML file it lives in.
class TESVANE_API CCoordinateSystem
{
public:
    CCoordinateSystem();
    virtual ~CCoordinateSystem();

    // Resets the held definition to the defaults (Beijing 54 ellipsoid, Gauss projection with
    // false easting 500000 and scale 1, every optional step off).
    void Initialize();
    // Writes the defaults into any record.
    static void Initialize(CoordinateSystem_Parameter& parameter);

    void SetFileName(const QString& path);
    QString GetFileName() const;

    // Loads the file into the held definition. Returns 1 on success; 0 for an empty path, a file
    // that cannot be read or parsed, or one without the outer elements, in which case the held
    // definition is left as it was.
    int ConfigRead();
    // Writes the held definition to the file; 1 written, 0 not (empty path, write failure).
    int ConfigSave();

    CoordinateSystem_Parameter Get() const;
    // Replaces the held definition and saves it, returning what ConfigSave returns.
    int Set(const CoordinateSystem_Parameter& parameter);

private:
    QString m_FileName;
    CoordinateSystem_Parameter m_Parameter;
};
