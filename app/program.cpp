#include "app/program.h"

#include "app/startup.h"
#include "forms/application.h"
#include "forms/fonts.h"
#include "mainwindow/tembra1.h"

namespace tembra {

int runProgram(int argc, char **argv, const std::function<void(Tembra1 *)> &mainWindowShown)
{
    // The collection is read by a helper program that starts before anything else, so
    // that the reading goes on while the windows are being made.
    ChildRead reading = ChildRead::start(collectionFile());

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    substituteFonts();
    Startup startup(std::move(reading));
    startup.onMainWindowShown = mainWindowShown;
    startup.showSplash();
    return QApplication::exec();
}

} // namespace tembra
