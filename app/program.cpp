#include "app/program.h"

#include "app/startup.h"
#include "forms/application.h"
#include "mainwindow/tembra1.h"

#include <QFont>

namespace tembra {

namespace {

// The windows name Windows fonts; these stand in for them here.
void substituteFonts()
{
    QFont::insertSubstitutions(QStringLiteral("Traditional Arabic"),
                               {QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    const QStringList sans
        = {QStringLiteral("Noto Sans Arabic UI"), QStringLiteral("Noto Sans Arabic"),
           QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), sans);
}

} // namespace

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
    startup.splashDone();
    return QApplication::exec();
}

} // namespace tembra
