#include "app/startup.h"
#include "forms/application.h"
#include "mainwindow/tembra1.h"

#include <QFont>

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

int main(int argc, char *argv[])
{
    // The collection is read by a helper program that starts before anything else, so
    // that the reading goes on while the window is being made.
    tembra::ChildRead reading = tembra::ChildRead::start(tembra::collectionFile());

    tembra::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    substituteFonts();
    tembra::Tembra1 window;
    tembra::handOver(reading, window.Adodc1);
    window.show();
    return QApplication::exec();
}
