#include "coord/CCoordinateSystem.h"

#include "markup/ConfigDocument.h"
#include "platform/NumberText.h"

namespace
{
const QString kSection = QStringLiteral("CoordinateSystem");

// Real numbers are written with 16 decimals, as every version of the file has been.
QString Num(double v) { return QString::asprintf("%.16f", v); }

// Reading helpers: each child is searched forward from the previous one; a missing child keeps
// the value it had.
void ReadDouble(ConfigDocument& xml, const char* name, double& value)
{
    xml.ReadChild(QString::fromLatin1(name), value, [](const QString& text) { return LeadingNumber(text); });
}

void ReadInt(ConfigDocument& xml, const char* name, int& value)
{
    xml.ReadChild(QString::fromLatin1(name), value, [](const QString& text) { return LeadingInteger(text); });
}

void AddDouble(ConfigDocument& xml, const char* name, double value)
{
    xml.AddChild(QString::fromLatin1(name), Num(value));
}

void AddInt(ConfigDocument& xml, const char* name, int value) { xml.AddChild(QString::fromLatin1(name), value); }
} // namespace

CCoordinateSystem::CCoordinateSystem() { Initialize(m_Parameter); }

CCoordinateSystem::~CCoordinateSystem() = default;

void CCoordinateSystem::Initialize() { Initialize(m_Parameter); }

void CCoordinateSystem::Initialize(CoordinateSystem_Parameter& p)
{
    p = CoordinateSystem_Parameter();
    p.Name = QStringLiteral("Beijing54");
    p.EllipsoidParameter = Beijing54Ellipsoid();
    p.ProjectParameter.Type = 0;
    p.ProjectParameter.Ty = 500000.0;
    p.ProjectParameter.TK = 1.0;
    p.VerticalBalancingParameter.Mode = 1;
}

void CCoordinateSystem::SetFileName(const QString& path) { m_FileName = path; }

QString CCoordinateSystem::GetFileName() const { return m_FileName; }

CoordinateSystem_Parameter CCoordinateSystem::Get() const { return m_Parameter; }

int CCoordinateSystem::Set(const CoordinateSystem_Parameter& parameter)
{
    m_Parameter = parameter;
    return ConfigSave();
}

int CCoordinateSystem::ConfigSave()
{
    if (m_FileName.isEmpty()) return 0;
    const CoordinateSystem_Parameter& p = m_Parameter;
    ConfigDocument xml(kSection);
    xml.Add(QStringLiteral("Name"), p.Name);

    xml.AddGroup(QStringLiteral("CoordinateSystem_EllipsoidParameter"));
    xml.AddChild(QStringLiteral("Name"), p.EllipsoidParameter.Name);
    AddDouble(xml, "Axis", p.EllipsoidParameter.Axis);
    AddDouble(xml, "ReciprocalofFlatRate", p.EllipsoidParameter.ReciprocalofFlatRate);

    const CoordinateSystem_ProjectParameter& pp = p.ProjectParameter;
    xml.AddGroup(QStringLiteral("CoordinateSystem_ProjectParameter"));
    AddInt(xml, "Type", pp.Type);
    AddDouble(xml, "CentralMeridian", pp.CentralMeridian);
    AddDouble(xml, "Tx", pp.Tx);
    AddDouble(xml, "Ty", pp.Ty);
    AddDouble(xml, "TK", pp.TK);
    AddDouble(xml, "ProjectionHeight", pp.ProjectionHeight);
    AddDouble(xml, "ReferenceLongitude", pp.ReferenceLongitude);
    AddDouble(xml, "ReferenceLatitude", pp.ReferenceLatitude);
    AddDouble(xml, "Parallel1", pp.Parallel1);
    AddDouble(xml, "Parallel2", pp.Parallel2);

    const CoordinateSystem_SevenParameter& sp = p.SevenParameter;
    xml.AddGroup(QStringLiteral("CoordinateSystem_SevenParameter"));
    AddInt(xml, "Use", sp.Use);
    AddInt(xml, "Mode", sp.Mode);
    AddDouble(xml, "DX", sp.DX);
    AddDouble(xml, "DY", sp.DY);
    AddDouble(xml, "DZ", sp.DZ);
    AddDouble(xml, "RX", sp.RX);
    AddDouble(xml, "RY", sp.RY);
    AddDouble(xml, "RZ", sp.RZ);
    AddDouble(xml, "K", sp.K);

    const CoordinateSystem_FourParameter& fp = p.FourParameter;
    xml.AddGroup(QStringLiteral("CoordinateSystem_FourParameter"));
    AddInt(xml, "Use", fp.Use);
    AddDouble(xml, "Cx", fp.Cx);
    AddDouble(xml, "Cy", fp.Cy);
    AddDouble(xml, "Ca", fp.Ca);
    AddDouble(xml, "Ck", fp.Ck);
    AddDouble(xml, "Orgx", fp.Orgx);
    AddDouble(xml, "Orgy", fp.Orgy);

    const CoordinateSystem_HeightFittingParameter& hp = p.HeightFittingParameter;
    xml.AddGroup(QStringLiteral("CoordinateSystem_HeightFittingParameter"));
    AddInt(xml, "Use", hp.Use);
    AddDouble(xml, "a0", hp.a0);
    AddDouble(xml, "a1", hp.a1);
    AddDouble(xml, "a2", hp.a2);
    AddDouble(xml, "a3", hp.a3);
    AddDouble(xml, "a4", hp.a4);
    AddDouble(xml, "a5", hp.a5);
    AddDouble(xml, "x0", hp.x0);
    AddDouble(xml, "y0", hp.y0);

    const CoordinateSystem_CorrectParameter& cp = p.CorrectParameter;
    xml.AddGroup(QStringLiteral("CoordinateSystem_CorrectParameter"));
    AddInt(xml, "Use", cp.Use);
    AddDouble(xml, "Dx", cp.Dx);
    AddDouble(xml, "Dy", cp.Dy);
    AddDouble(xml, "Dh", cp.Dh);

    // The vertical-balancing block comes last in the file.
    const CoordinateSystem_VerticalBalancingParameter& vp = p.VerticalBalancingParameter;
    xml.AddGroup(QStringLiteral("VerticalParameter"));
    AddInt(xml, "Use", vp.Use);
    AddInt(xml, "Mode", vp.Mode);
    AddDouble(xml, "Orgx", vp.Orgx);
    AddDouble(xml, "Orgy", vp.Orgy);
    AddDouble(xml, "DH", vp.DH);
    AddDouble(xml, "NorthSlope", vp.NorthSlope);
    AddDouble(xml, "EastSlope", vp.EastSlope);

    return xml.Save(m_FileName) ? 1 : 0;
}

int CCoordinateSystem::ConfigRead()
{
    const QString path = m_FileName.trimmed();
    if (path.isEmpty()) return 0;
    ConfigDocument xml(kSection);
    if (!xml.Load(path)) return 0;

    CoordinateSystem_Parameter p;
    Initialize(p);
    xml.Read(QStringLiteral("Name"), p.Name);
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_EllipsoidParameter")))
    {
        xml.ReadChild(QStringLiteral("Name"), p.EllipsoidParameter.Name);
        ReadDouble(xml, "Axis", p.EllipsoidParameter.Axis);
        ReadDouble(xml, "ReciprocalofFlatRate", p.EllipsoidParameter.ReciprocalofFlatRate);
    }
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_ProjectParameter")))
    {
        CoordinateSystem_ProjectParameter& pp = p.ProjectParameter;
        ReadInt(xml, "Type", pp.Type);
        ReadDouble(xml, "CentralMeridian", pp.CentralMeridian);
        ReadDouble(xml, "Tx", pp.Tx);
        ReadDouble(xml, "Ty", pp.Ty);
        ReadDouble(xml, "TK", pp.TK);
        ReadDouble(xml, "ProjectionHeight", pp.ProjectionHeight);
        ReadDouble(xml, "ReferenceLongitude", pp.ReferenceLongitude);
        ReadDouble(xml, "ReferenceLatitude", pp.ReferenceLatitude);
        ReadDouble(xml, "Parallel1", pp.Parallel1);
        ReadDouble(xml, "Parallel2", pp.Parallel2);
    }
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_SevenParameter")))
    {
        CoordinateSystem_SevenParameter& sp = p.SevenParameter;
        ReadInt(xml, "Use", sp.Use);
        ReadInt(xml, "Mode", sp.Mode);
        ReadDouble(xml, "DX", sp.DX);
        ReadDouble(xml, "DY", sp.DY);
        ReadDouble(xml, "DZ", sp.DZ);
        ReadDouble(xml, "RX", sp.RX);
        ReadDouble(xml, "RY", sp.RY);
        ReadDouble(xml, "RZ", sp.RZ);
        ReadDouble(xml, "K", sp.K);
    }
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_FourParameter")))
    {
        CoordinateSystem_FourParameter& fp = p.FourParameter;
        ReadInt(xml, "Use", fp.Use);
        ReadDouble(xml, "Cx", fp.Cx);
        ReadDouble(xml, "Cy", fp.Cy);
        ReadDouble(xml, "Ca", fp.Ca);
        ReadDouble(xml, "Ck", fp.Ck);
        ReadDouble(xml, "Orgx", fp.Orgx);
        ReadDouble(xml, "Orgy", fp.Orgy);
    }
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_HeightFittingParameter")))
    {
        CoordinateSystem_HeightFittingParameter& hp = p.HeightFittingParameter;
        ReadInt(xml, "Use", hp.Use);
        ReadDouble(xml, "a0", hp.a0);
        ReadDouble(xml, "a1", hp.a1);
        ReadDouble(xml, "a2", hp.a2);
        ReadDouble(xml, "a3", hp.a3);
        ReadDouble(xml, "a4", hp.a4);
        ReadDouble(xml, "a5", hp.a5);
        ReadDouble(xml, "x0", hp.x0);
        ReadDouble(xml, "y0", hp.y0);
    }
    if (xml.FindGroup(QStringLiteral("CoordinateSystem_CorrectParameter")))
    {
        CoordinateSystem_CorrectParameter& cp = p.CorrectParameter;
        ReadInt(xml, "Use", cp.Use);
        ReadDouble(xml, "Dx", cp.Dx);
        ReadDouble(xml, "Dy", cp.Dy);
        ReadDouble(xml, "Dh", cp.Dh);
    }
    if (xml.FindGroup(QStringLiteral("VerticalParameter")))
    {
        CoordinateSystem_VerticalBalancingParameter& vp = p.VerticalBalancingParameter;
        ReadInt(xml, "Use", vp.Use);
        ReadInt(xml, "Mode", vp.Mode);
        ReadDouble(xml, "Orgx", vp.Orgx);
        ReadDouble(xml, "Orgy", vp.Orgy);
        ReadDouble(xml, "DH", vp.DH);
        ReadDouble(xml, "NorthSlope", vp.NorthSlope);
        ReadDouble(xml, "EastSlope", vp.EastSlope);
    }
    m_Parameter = p;
    return 1;
}
