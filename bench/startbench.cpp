// tembra-startbench: the whole program, run by the benchmark in a folder that holds a
// collection; it says "shown" on its standard output once the main window is on screen
// with its first record, and ends.
//
//   tembra-startbench [TEXT]
//   tembra-startbench --enter TEXT...
//
// With a text it searches for it at once, as a reader who types the moment the window
// appears, and says "searched N ms, C matches": the time from the window on screen to the
// count shown.
//
// With --enter, once the search is ready, it presses Enter in the search box for each text
// in turn, seven times each, and says for each the median time from the key to the count,
// the list and the pane painted, and where that time goes: the search's own steps (the
// statement run, the count, the grid's new rows, the current record and the pane composed)
// and the painting of the window that follows.

#include "app/program.h"
#include "mainwindow/tembra1.h"
#include "search/datacontrol.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void pressEnter(QWidget *box)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(box, &release);
}

// Paints of the controls that show a search's answer, as they come.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(const QList<QWidget *> &watched)
    {
        for (QWidget *w : watched)
            w->installEventFilter(this);
        m_left = watched.size();
        m_watched = watched;
    }
    void reset()
    {
        m_painted.clear();
        m_left = m_watched.size();
    }
    bool done() const { return m_left == 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_painted.contains(watched)) {
            m_painted << watched;
            --m_left;
        }
        return false;
    }

private:
    QList<QWidget *> m_watched;
    QList<QObject *> m_painted;
    qsizetype m_left = 0;
};

void timeEnter(tembra::Tembra1 *w, const QStringList &texts)
{
    auto *box = w->findChild<QLineEdit *>(QStringLiteral("Text2"));
    const auto *data = w->findChild<tembra::DataControl *>(QStringLiteral("Adodc1"));
    auto *grid = w->findChild<QAbstractScrollArea *>(QStringLiteral("DataGrid1"));
    auto *pane = w->findChild<QAbstractScrollArea *>(QStringLiteral("Text1"));
    auto *count = w->findChild<QWidget *>(QStringLiteral("Label12"));
    if (!box || !data || !data->search() || !grid || !pane || !count)
        return;
    data->search()->waitUntilReady();
    QElapsedTimer t;
    qint64 counted = 0;
    QObject::connect(data, &tembra::DataControl::resultCounted, w,
                     [&] { counted = t.nsecsElapsed(); });
    PaintWatch paints({grid->viewport(), pane->viewport(), count});
    for (const QString &text : texts) {
        std::vector<double> run, steps, whole;
        for (int i = 0; i < 7; ++i) {
            box->setText(text + QString(i % 2, QLatin1Char(' '))); // a new search each time
            QCoreApplication::processEvents();
            paints.reset();
            t.start();
            pressEnter(box);
            const qint64 searched = t.nsecsElapsed();
            while (!paints.done() && t.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            run.push_back(double(counted) / 1e6);
            steps.push_back(double(searched - counted) / 1e6);
            whole.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const double all = median(whole);
        const double statement = median(run);
        const double shown = median(steps);
        std::printf("enter %s: %.1f ms to painted: the statement %.1f, the count, list, record "
                    "and pane set %.1f, painting %.1f; %d matches\n",
                    text.toUtf8().constData(), all, statement, shown,
                    std::max(0.0, all - statement - shown), data->recordCount());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList texts;
    bool enter = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--enter") == 0)
            enter = true;
        else
            texts << QString::fromUtf8(argv[i]);
    }
    return tembra::runProgram(argc > 1 ? 1 : argc, argv, [texts, enter](tembra::Tembra1 *w) {
        // Once the events of the showing (the first paint among them) are through.
        QTimer::singleShot(0, [w, texts, enter] {
            std::printf("shown\n");
            if (enter) {
                timeEnter(w, texts);
            } else if (!texts.isEmpty()) {
                QElapsedTimer t;
                t.start();
                w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(texts.first());
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
