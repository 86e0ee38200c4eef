#pragma once

#include <QIcon>
#include <QLabel>
#include <QString>

class QApplication;
class QSettings;
class QWidget;

// A one-line label that may be narrower than its text: it shows the start of the text with "…"
// instead of spilling over its neighbours. text() keeps the whole text.
class CElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;
    // The width the label asks for when there is room, whatever its text.
    void SetPreferredWidth(int width) { m_PreferredWidth = width; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_PreferredWidth = 0;
};

// Loads Qt's own Chinese translations (the standard file and colour dialogs, the buttons of the
// message boxes) from the folder where Qt keeps them. False when they are not installed.
bool InstallQtTranslations(QApplication& app);

// Row images of the element list: 0 straight, 1 circular arc, 2 transition curve, 3 start point.
QIcon RowImage(int image);
// Toolbar pictures drawn at run time: "new", "open", "save", "export", "properties", "zoomin",
// "zoomout", "full", "pan", "measure", "about", "input", "app".
QIcon ToolIcon(const QString& name);

// Shows the library's and the program's messages as message boxes (warning: exclamation icon,
// error: stop icon, question: Yes/No).
void InstallMessageBoxHandler();

// The folder of the configuration files: the program's own folder, or the per-user configuration
// folder when the program's folder cannot be written (an installed program).
QString ConfigurationFolder();

// The program's settings (look, station style, label mode, recent files), kept between runs.
QSettings ProgramSettings();

// A number as a dialog field shows it (15 significant digits) and reads it back.
QString FieldText(double value);
bool ParseField(const QString& text, double& value);
