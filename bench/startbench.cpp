// tembra-startbench: the whole program, run by the benchmark in a folder that holds a
// collection; it says "shown" on its standard output once the main window is on screen
// with its first record, and ends.

#include "app/program.h"
#include "mainwindow/tembra1.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    return tembra::runProgram(argc, argv, [](tembra::Tembra1 *) {
        // Once the events of the showing (the first paint among them) are through.
        QTimer::singleShot(0, [] {
            std::printf("shown\n");
            std::fflush(stdout);
            QApplication::quit();
        });
    });
}
