#include "sources/CShapeConfigFillColor.h"

#include "map/CMapDefine.h"
#include "platform/MessageSink.h"
#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/CMap_Shape_Detail.h"
#include "sources/CppSQLite3.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <set>

using namespace shapedetail;

namespace
{
QString ShcPathOf(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty()) return path + QStringLiteral(".shc");
    return path.left(path.size() - suffix.size()) + QStringLiteral("shc");
}

bool ValueLess(const FiledColor& a, const FiledColor& b) { return a.Value < b.Value; }
} // namespace

CShapeConfigFillColor::CShapeConfigFillColor() = default;

CShapeConfigFillColor::~CShapeConfigFillColor() { Destroy(); }

bool CShapeConfigFillColor::IsValid() const { return m_DB && m_DB->isopen(); }

void CShapeConfigFillColor::Destroy()
{
    if (m_DB) m_DB->close();
    m_DB.reset();
    m_FiledIndex = -1;
    m_FiledType = 4;
    DestroySqList();
}

void CShapeConfigFillColor::LoadShapeConfig(const QString& path, OGRLayer* layer, IProgressListener* progress)
{
    Destroy();
    m_Path.clear();
    if (path.isEmpty() || !layer) return;
    m_Encoding = LayerEncoding(layer);
    const QString shc = ShcPathOf(path);
    m_Path = shc;
    if (!QFileInfo::exists(shc) && !BuildConfig(shc, layer, progress)) return;
    try
    {
        m_DB = std::make_unique<CppSQLite3DB>();
        m_DB->open(ToUtf8(shc).constData());
    }
    catch (const CppSQLite3Exception&)
    {
        m_DB.reset();
        return;
    }
    // A file that is no colour configuration simply colours nothing.
    ReReadShapeConfig();
}

bool CShapeConfigFillColor::BuildConfig(const QString& shcPath, OGRLayer* layer, IProgressListener* progress)
{
    if (progress)
    {
        progress->SetCaption(QStringLiteral("正在初始化配置文件...:%1").arg(shcPath));
        progress->Reset();
    }
    QString tempPath;
    {
        QTemporaryFile temp(shcPath + QStringLiteral(".XXXXXX"));
        temp.setAutoRemove(false);
        if (temp.open()) tempPath = temp.fileName();
    }
    bool ok = !tempPath.isEmpty();
    if (ok)
    {
        CppSQLite3DB db;
        try
        {
            db.open(ToUtf8(tempPath).constData());
            db.execDML("create table [ColorConfig](ColorFiledIndex INT);");
            db.execDML("insert into [ColorConfig] values(-1);");
            db.execDML("create table [FiledConfig](FiledIndex INT, FiledName CHAR, FiledType INT, ColorValid INT);");

            // The distinct value texts of every attribute, in one pass over the features.
            OGRFeatureDefn* defn = layer->GetLayerDefn();
            const int fields = defn->GetFieldCount();
            std::vector<std::set<QString>> values(static_cast<size_t>(fields));
            const long long count = std::max<long long>(1, layer->GetFeatureCount());
            long long done = 0;
            int lastPercent = -1;
            layer->ResetReading();
            while (FeaturePtr f{layer->GetNextFeature()})
            {
                for (int i = 0; i < fields; ++i) values[size_t(i)].insert(ValueText(f.get(), i, m_Encoding));
                const int percent = int(std::min<long long>(99, ++done * 100 / count));
                if (progress && percent != lastPercent) progress->SetPercent(lastPercent = percent);
            }
            layer->ResetReading();

            const CMapDefine palette;
            CppSQLite3Statement field = db.compileStatement("insert into [FiledConfig] values(?, ?, ?, 1);");
            for (int i = 0; i < fields; ++i)
            {
                OGRFieldDefn* fd = defn->GetFieldDefn(i);
                field.bind(1, i);
                field.bind(2, DecodeText(fd->GetNameRef(), m_Encoding));
                field.bind(3, int(fd->GetType()));
                field.execDML();
                db.execDML(QStringLiteral("create table [%1](Filed CHAR, Color INT64);").arg(i));
                db.execDML("begin transaction;");
                CppSQLite3Statement insert = db.compileStatement(QStringLiteral("insert into [%1] values(?, ?);").arg(i));
                for (const QString& v : values[size_t(i)])
                {
                    insert.bind(1, v);
                    insert.bind(2, static_cast<long long>(palette.GetRandColor()));
                    insert.execDML();
                }
                insert.finalize();
                db.execDML("commit transaction;");
            }
            field.finalize();
            db.close();
        }
        catch (const CppSQLite3Exception&)
        {
            ok = false;
            db.close();
        }
    }
    if (ok) ok = std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(shcPath).constData()) == 0;
    if (progress) progress->SetPercent(100);
    if (!ok)
    {
        if (!tempPath.isEmpty()) QFile::remove(tempPath);
        ShowMessage(QStringLiteral("初始化配置文件出错!"), ErrorCaption(), MessageKind::Error);
    }
    return ok;
}

bool CShapeConfigFillColor::ReReadShapeConfig()
{
    DestroySqList();
    m_FiledIndex = -1;
    m_FiledType = 4;
    if (!IsValid()) return false;
    try
    {
        CppSQLite3Query q = m_DB->execQuery("select [ColorFiledIndex], [FiledType] from [ColorConfig], [FiledConfig] "
                                            "where [ColorFiledIndex] = [FiledIndex];");
        if (!q.eof())
        {
            m_FiledIndex = q.getIntField(0, -1);
            m_FiledType = q.getIntField(1, 4);
        }
        q.finalize();
        if (m_FiledIndex < 0) return true;
        CppSQLite3Query rows = m_DB->execQuery(QStringLiteral("select * from [%1];").arg(m_FiledIndex));
        for (; !rows.eof(); rows.nextRow())
        {
            if (rows.numFields() < 2) break;
            AddFiledValue(shapedetail::DecodeText(rows.getStringField(0), QByteArray()), long(rows.getInt64Field(1, -1)));
        }
        std::stable_sort(m_Colors.begin(), m_Colors.end(), ValueLess);
        return true;
    }
    catch (const CppSQLite3Exception&)
    {
        DestroySqList();
        m_FiledIndex = -1;
        return false;
    }
}

void CShapeConfigFillColor::AddFiledValue(const QString& value, long color) { m_Colors.push_back({value, color}); }

int CShapeConfigFillColor::GetFiledArray(QStringList& names)
{
    names.clear();
    if (!IsValid()) return 0;
    try
    {
        for (CppSQLite3Query q = m_DB->execQuery("select [FiledName] from [FiledConfig];"); !q.eof(); q.nextRow())
            names << shapedetail::DecodeText(q.getStringField(0), QByteArray());
    }
    catch (const CppSQLite3Exception&)
    {
    }
    return static_cast<int>(names.size());
}

int CShapeConfigFillColor::SetConfigFiledIndex(int index)
{
    if (!IsValid()) return 0;
    try
    {
        CppSQLite3Statement s = m_DB->compileStatement("update [ColorConfig] set [ColorFiledIndex] = ?;");
        s.bind(1, index);
        s.execDML();
        s.finalize();
        if (ReReadShapeConfig()) return 1;
    }
    catch (const CppSQLite3Exception&)
    {
    }
    ShowMessage(QStringLiteral("读取配置文件出错!"), ErrorCaption(), MessageKind::Error);
    return 0;
}

FiledColor CShapeConfigFillColor::GetFiledColor(int index) const
{
    if (index < 0 || index >= GetFiledColorCount()) return {};
    return m_Colors[size_t(index)];
}

int CShapeConfigFillColor::SetFiledColor(int index, long color)
{
    if (!IsValid() || m_FiledIndex < 0 || index < 0 || index >= GetFiledColorCount()) return 0;
    try
    {
        CppSQLite3Statement s =
            m_DB->compileStatement(QStringLiteral("update [%1] set [Color] = ? where Filed = ?;").arg(m_FiledIndex));
        s.bind(1, static_cast<long long>(color));
        s.bind(2, m_Colors[size_t(index)].Value);
        s.execDML();
        s.finalize();
        m_Colors[size_t(index)].Color = color;
        return 1;
    }
    catch (const CppSQLite3Exception&)
    {
        ShowMessage(QStringLiteral("保存配置文件出错!"), ErrorCaption(), MessageKind::Error);
        return 0;
    }
}

long CShapeConfigFillColor::GetFillColorOfValue(const QString& valueText) const
{
    const auto it = std::lower_bound(m_Colors.begin(), m_Colors.end(), FiledColor{valueText, 0}, ValueLess);
    return it != m_Colors.end() && it->Value == valueText ? it->Color : -1;
}

long CShapeConfigFillColor::GetFillColor(OGRFeature* feature) const
{
    if (!feature || m_FiledIndex < 0 || m_FiledIndex >= feature->GetFieldCount()) return -1;
    return GetFillColorOfValue(ValueText(feature, m_FiledIndex, m_Encoding));
}
