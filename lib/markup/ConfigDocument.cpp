#include "markup/ConfigDocument.h"

namespace
{
const QString kRoot = QStringLiteral("HEAD");
const QString kVersionName = QStringLiteral("Ver");
// Older readers check for it; this one never does.
const QString kVersion = QStringLiteral("1.0.1.1");
} // namespace

ConfigDocument::ConfigDocument(const QString& section) : m_section(section)
{
    m_xml.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    m_xml.AddElem(kRoot);
    m_xml.IntoElem();
    m_xml.AddElem(m_section);
    m_xml.IntoElem();
    m_xml.AddElem(kVersionName, kVersion);
}

bool ConfigDocument::Load(const QString& path)
{
    if (!m_xml.Load(path)) return false;
    if (!m_xml.FindElem(kRoot)) return false;
    m_xml.IntoElem();
    if (!m_xml.FindElem(m_section)) return false;
    m_xml.IntoElem();
    // Optional: when it is missing, reading starts at the section's first element.
    m_xml.FindElem(kVersionName);
    return true;
}

bool ConfigDocument::Save(const QString& path)
{
    // The declaration names UTF-8 and no byte-order mark is asked for, so that is what is written.
    return m_xml.Save(path);
}

void ConfigDocument::Add(const QString& name, const QString& text)
{
    m_xml.AddElem(name, text);
}

void ConfigDocument::Add(const QString& name, int value)
{
    m_xml.AddElem(name, QString::number(value));
}

bool ConfigDocument::Read(const QString& name, QString& text)
{
    if (!m_xml.FindElem(name)) return false;
    text = m_xml.GetData();
    return true;
}

void ConfigDocument::AddGroup(const QString& name)
{
    m_xml.AddElem(name);
}

bool ConfigDocument::FindGroup(const QString& name)
{
    return m_xml.FindElem(name);
}

void ConfigDocument::AddChild(const QString& name, const QString& text)
{
    m_xml.AddChildElem(name, text);
}

void ConfigDocument::AddChild(const QString& name, int value)
{
    m_xml.AddChildElem(name, QString::number(value));
}

bool ConfigDocument::ReadChild(const QString& name, QString& text)
{
    if (!m_xml.FindChildElem(name)) return false;
    text = m_xml.GetChildData();
    return true;
}

void ConfigDocument::RewindChildren()
{
    m_xml.ResetChildPos();
}
