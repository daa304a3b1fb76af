// tembra-startbench: the whole program, run by the benchmark in a folder that holds a
// collection; it says "shown" on its standard output once the main window is on screen
// with its first record, and ends.
//
//   tembra-startbench [TEXT]
//
// With a text it searches for it at once, as a reader who types the moment the window
// appears, and says "searched N ms, C matches": the time from the window on screen to the
// count shown.

#include "app/program.h"
#include "mainwindow/tembra1.h"
#include "search/datacontrol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString text = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    return tembra::runProgram(argc > 1 ? 1 : argc, argv, [text](tembra::Tembra1 *w) {
        // Once the events of the showing (the first paint among them) are through.
        QTimer::singleShot(0, [w, text] {
            std::printf("shown\n");
            if (!text.isEmpty()) {
                QElapsedTimer t;
                t.start();
                w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(text);
                w->Command1_Click();
                const auto *data = w->findChild<tembra::DataControl *>(QStringLiteral("Adodc1"));
                std::printf("searched %.1f ms, %d matches\n", double(t.nsecsElapsed()) / 1e6,
                            data ? data->recordCount() : -1);
            }
            std::fflush(stdout);
            QApplication::quit();
        });
    });
}
