// Veylor: road alignment design and stake-out.
#include "app/ui/CMainFrame.h"
#include "app/core/MapLayerList.h"
#include "app/core/CRouteShell.h"
#include "app/ui/UiSupport.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veylor"));
    QApplication::setOrganizationName(QStringLiteral("Veylor"));
    InstallMessageBoxHandler();
    // The standard dialogs (files, colours) speak the program's language.
    InstallQtTranslations(app);

    // Veylor [ROUTE] [--layer FILE]... [--coord FILE] [--config DIR]: later layers on top; the
    // configuration folder defaults to the program's.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString route, coordinateFile, configDir = ConfigurationFolder();
    QStringList layerFiles;
    for (int i = 0; i < args.size(); ++i)
    {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--layer") && hasValue)
            layerFiles << args[++i];
        else if (a == QLatin1String("--coord") && hasValue)
            coordinateFile = args[++i];
        else if (a == QLatin1String("--config") && hasValue)
            configDir = args[++i];
        else if (route.isEmpty())
            route = a;
    }

    CMainFrame frame(configDir);
    frame.setWindowTitle(QStringLiteral("Veylor"));
    // Without a window manager (a bare X server) "maximised" means nothing: size it to the screen.
    if (QScreen* screen = QApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();

    if (!coordinateFile.isEmpty())
    {
        QString error;
        if (!frame.Layers().SetCoordinateSystem(coordinateFile, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
    }
    frame.AddLayerFiles(layerFiles);
    if (!route.isEmpty())
    {
        // Once the window has its size, so that the route is fitted to the real view.
        QTimer::singleShot(0, &frame, [&frame, route] {
            if (RouteModeOfPath(route) == RouteMode::None)
                ShowMessage(QStringLiteral("打开线路文件失败！\n") + route, ErrorCaption(), MessageKind::Error);
            else
                frame.Shell().OpenRoutePath(route);
        });
    }
    return app.exec();
}
