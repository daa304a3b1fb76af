// The whole program, with a reader's keys: a search for "alpha", Ctrl+D on its first match,
// a note typed into the note window and Enter. It says "marked" on its standard output once
// the window shows the mark beside the pane, and then reads on until it is killed
// (tst_window kills it with SIGKILL at that word, and reads the bookmarks file back).

#include "app/program.h"
#include "mainwindow/markwindow.h"
#include "mainwindow/tembra1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

void afterShown(tembra::Tembra1 *w)
{
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w))
        return;
    w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("alpha"));
    w->Command1_Click();
    QTest::keyClick(w->findChild<QWidget *>(QStringLiteral("Text1")), Qt::Key_D,
                    Qt::ControlModifier);
    auto *note = w->findChild<tembra::MarkWindow *>();
    if (!note || !QTest::qWaitForWindowActive(note))
        return;
    QTest::keyClicks(note->noteBox(), QStringLiteral("kept through a kill"));
    QTest::keyClick(note->noteBox(), Qt::Key_Return);
    if (!w->findChild<QWidget *>(QStringLiteral("MarkSign"))->isVisible())
        return;
    std::printf("marked\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    return tembra::runProgram(
        argc, argv, [](tembra::Tembra1 *w) { QTimer::singleShot(0, w, [w] { afterShown(w); }); });
}
