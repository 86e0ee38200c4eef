// Veylor: road alignment design and stake-out.
#include "app/ui/CMainFrame.h"
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

    CMainFrame frame(ConfigurationFolder());
    frame.setWindowTitle(QStringLiteral("Veylor"));
    // Without a window manager (a bare X server) "maximised" means nothing: size it to the screen.
    if (QScreen* screen = QApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();

    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
    {
        const QString path = args.at(1);
        // Once the window has its size, so that the route is fitted to the real view.
        QTimer::singleShot(0, &frame, [&frame, path] {
            if (RouteModeOfPath(path) == RouteMode::None)
                ShowMessage(QStringLiteral("打开线路文件失败！\n") + path, ErrorCaption(), MessageKind::Error);
            else
                frame.Shell().OpenRoutePath(path);
        });
    }
    return app.exec();
}
