#include "app/ui/UiSupport.h"

#include "platform/MessageSink.h"

#include <QSettings>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTranslator>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>
#include <QThread>
#include <QTemporaryFile>

#include <cmath>
#include <cstdio>

namespace
{
QPixmap Canvas(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void Magnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(QColor(30, 60, 120), 2.2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(3, 3, 15, 15));
    p.setPen(QPen(QColor(90, 60, 30), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.5, 16.5), QPointF(22, 22));
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.drawLine(QPointF(7, 10.5), QPointF(14, 10.5));
    if (plus) p.drawLine(QPointF(10.5, 7), QPointF(10.5, 14));
}
} // namespace

QIcon RowImage(int image)
{
    QPixmap pm(24, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image)
    {
    case 0:
        p.setPen(QPen(QColor(0, 90, 200), 2.5));
        p.drawLine(QPointF(3, 16), QPointF(21, 4));
        break;
    case 1:
        p.setPen(QPen(QColor(200, 60, 0), 2.5));
        p.drawArc(QRectF(2, 4, 20, 22), 20 * 16, 140 * 16);
        break;
    case 2:
    {
        QPainterPath path(QPointF(2, 17));
        path.cubicTo(QPointF(12, 17), QPointF(18, 12), QPointF(22, 3));
        p.setPen(QPen(QColor(0, 140, 60), 2.5));
        p.drawPath(path);
        break;
    }
    case 3:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(7, 5, 10, 10));
        break;
    default: break;
    }
    return QIcon(pm);
}

QIcon ToolIcon(const QString& name)
{
    QPixmap pm = Canvas(24);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("new"))
    {
        p.setPen(QPen(QColor(80, 80, 80), 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(5, 2), QPointF(15, 2), QPointF(20, 7), QPointF(20, 22), QPointF(5, 22)}));
        p.setPen(QPen(QColor(0, 120, 0), 2.4));
        p.drawLine(QPointF(12.5, 10), QPointF(12.5, 19));
        p.drawLine(QPointF(8, 14.5), QPointF(17, 14.5));
    }
    else if (name == QLatin1String("open"))
    {
        p.setPen(QPen(QColor(150, 110, 20), 1.2));
        p.setBrush(QColor(250, 210, 90));
        p.drawRect(QRectF(2, 6, 17, 14));
        p.setBrush(QColor(255, 230, 140));
        p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(22, 10), QPointF(19, 20), QPointF(2, 20)}));
    }
    else if (name == QLatin1String("save"))
    {
        p.setPen(QPen(QColor(20, 40, 90), 1.2));
        p.setBrush(QColor(60, 100, 180));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 4, 10, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7, 14, 10, 6));
    }
    else if (name == QLatin1String("export"))
    {
        p.setPen(QPen(QColor(80, 80, 80), 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 2, 13, 19));
        p.setPen(QPen(QColor(200, 40, 40), 2));
        for (int i = 0; i < 4; ++i) p.drawPoint(QPointF(7 + i * 2.5, 6 + i * 4));
        p.setPen(QPen(QColor(0, 120, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 15), QPointF(22, 15));
        p.drawLine(QPointF(18, 11), QPointF(22, 15));
        p.drawLine(QPointF(18, 19), QPointF(22, 15));
    }
    else if (name == QLatin1String("properties"))
    {
        p.setPen(QPen(QColor(80, 80, 80), 1.2));
        p.setBrush(QColor(255, 250, 220));
        p.drawRect(QRectF(4, 2, 16, 20));
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(7, 7 + i * 4), QPointF(17, 7 + i * 4));
    }
    else if (name == QLatin1String("zoomin") || name == QLatin1String("zoomout"))
    {
        Magnifier(p, name == QLatin1String("zoomin"));
    }
    else if (name == QLatin1String("full"))
    {
        p.setPen(QPen(QColor(30, 60, 120), 2));
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setPen(QPen(QColor(200, 60, 0), 2));
        p.drawLine(QPointF(6, 17), QPointF(18, 7));
        p.drawLine(QPointF(18, 7), QPointF(13, 7));
        p.drawLine(QPointF(18, 7), QPointF(18, 12));
    }
    else if (name == QLatin1String("pan"))
    {
        p.setPen(QPen(QColor(30, 60, 120), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 2), QPointF(12, 22));
        p.drawLine(QPointF(2, 12), QPointF(22, 12));
        const QPointF tips[4][3] = {{{12, 2}, {9, 5}, {15, 5}},
                                    {{12, 22}, {9, 19}, {15, 19}},
                                    {{2, 12}, {5, 9}, {5, 15}},
                                    {{22, 12}, {19, 9}, {19, 15}}};
        p.setBrush(QColor(30, 60, 120));
        for (const auto& t : tips) p.drawPolygon(t, 3);
    }
    else if (name == QLatin1String("measure"))
    {
        p.translate(12, 12);
        p.rotate(-35);
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(-11, -4, 22, 8));
        for (int i = -9; i <= 9; i += 3) p.drawLine(QPointF(i, -4), QPointF(i, i % 2 ? -1 : 0));
    }
    else if (name == QLatin1String("about"))
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 190));
        p.drawEllipse(QRectF(2, 2, 20, 20));
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 11), QPointF(12, 17));
        p.drawPoint(QPointF(12, 7));
    }
    else if (name == QLatin1String("input"))
    {
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 3, 20, 18));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(2, 7 + i * 4), QPointF(22, 7 + i * 4));
    }
    else if (name == QLatin1String("app"))
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(25, 25, 25));
        p.drawRoundedRect(QRectF(0, 0, 24, 24), 4, 4);
        QPainterPath road(QPointF(3, 21));
        road.cubicTo(QPointF(10, 20), QPointF(8, 4), QPointF(21, 3));
        p.setPen(QPen(Qt::white, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(road);
        p.setPen(QPen(QColor(230, 40, 40), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(3, 21));
        p.drawPoint(QPointF(21, 3));
    }
    return QIcon(pm);
}

void InstallMessageBoxHandler()
{
    SetMessageHandler([](const QString& text, const QString& caption, MessageKind kind) -> MessageAnswer {
        // Message boxes belong to the user-interface thread; anything else is only logged.
        if (!qApp || QThread::currentThread() != qApp->thread())
        {
            std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
            return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
        }
        QWidget* parent = QApplication::activeModalWidget();
        if (!parent) parent = QApplication::activeWindow();
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (kind)
        {
        case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
        case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
        case MessageKind::Question:
            box.setIcon(caption == WarningCaption() ? QMessageBox::Warning : QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
            box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.exec();
        return MessageAnswer::Ok;
    });
}

QString ConfigurationFolder()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    {
        // Try to create a file: permissions alone do not tell (read-only mounts, ACLs).
        QTemporaryFile probe(QDir(programDir).filePath(QStringLiteral(".veylor-probe-XXXXXX")));
        if (probe.open()) return programDir;
    }
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(user);
    return user;
}

QString FieldText(double value) { return QString::number(value, 'g', 15); }

bool ParseField(const QString& text, double& value)
{
    const QString t = text.trimmed();
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

QSize CElidedLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return QSize(qMax(hint.width(), m_PreferredWidth), hint.height());
}

QSize CElidedLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    return QSize(qMin(hint.width(), minimumWidth() > 0 ? minimumWidth() : 40), hint.height());
}

void CElidedLabel::paintEvent(QPaintEvent* event)
{
    // The frame as QLabel draws it, the text elided to what is left inside.
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect().adjusted(2, 0, -2, 0);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, inside.width());
    style()->drawItemText(&painter, inside, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), shown, foregroundRole());
}

bool InstallQtTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QSettings ProgramSettings() { return QSettings(QStringLiteral("应用程序向导生成的本地应用程序"), QStringLiteral("Veylor")); }
