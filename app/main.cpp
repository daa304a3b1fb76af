#include "app/startup.h"
#include "forms/application.h"
#include "forms/fonts.h"
#include "mainwindow/tembra1.h"

int main(int argc, char *argv[])
{
    // The collection is read by a helper program that starts before anything else, so
    // that the reading goes on while the window is being made.
    tembra::ChildRead reading = tembra::ChildRead::start(tembra::collectionFile());

    tembra::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembra"));
    tembra::substituteFonts();
    tembra::Tembra1 window;
    tembra::handOver(reading, window.Adodc1);
    window.show();
    return QApplication::exec();
}
