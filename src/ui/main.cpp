#include "project/settings/CSettings.h"
#include "ui/MainWindow.h"
#include "ui/QtHost.h"

#include <QApplication>
#include <QTimer>

// The desktop program: tarlo-gui [PROJECT]. Start-up loads the program settings, shows the
// main window and then opens the project named (a new one when none is); shut-down saves
// the settings once every document has closed.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvane Software");
    QApplication::setApplicationName("Tarlo");
    QApplication::setApplicationVersion(tarlo::MainWindow::versionText());

    tarlo::CSettings settings;
    tarlo::QtHost startupHost;
    const std::string settingsPath = tarlo::CSettings::startupLoad(settings, startupHost);

    tarlo::MainWindow window(settings, settingsPath);
    window.show();
    const QStringList arguments = QApplication::arguments();
    const QString project = arguments.size() > 1 ? arguments[1] : QString();
    // Once the window shows, so that a batch run starts in a visible window.
    QTimer::singleShot(0, &window, [&window, project] { window.openFromCommandLine(project); });
    return app.exec();
}
