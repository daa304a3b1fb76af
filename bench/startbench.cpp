// tembra-startbench: the whole program, run by the benchmark in a folder that holds a
// collection; it says "shown" on its standard output once the main window is on screen
// with its first record, and ends.
//
//   tembra-startbench [TEXT]
//   tembra-startbench --enter TEXT...
//   tembra-startbench --places
//   tembra-startbench --marks N TEXT...
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
//
// With --places, it times the ways about the collection the same way, from the key to the
// count, the list and the pane painted: Enter on a chapter in the contents (the largest of
// the first book and one of the last book, in turn), Enter on a book there, and Enter in the
// box of a hadith's number (3208 in the first book, and the last book's last number, in turn).
//
// With --marks, it first makes the bookmarks file ($XDG_DATA_HOME/Tembra/bookmarks.sqlite)
// hold at least N bookmarks of the collection's hadiths (every few hundredth of them, through
// a store of its own, as another reader's window would), then says for the bookmarks view
// the time from Ctrl+B to its list painted (the first time, when its filter is made, and
// again), and for each text the time from each key typed into its box to the list painted;
// then, for seven hadiths of a search for the first text, the time from Enter in the note
// window to the mark painted in the hadith's row and beside the pane.

#include "app/program.h"
#include "bookmarks/bookmarkstore.h"
#include "bookmarks/markdown.h"
#include "mainwindow/bookmarksview.h"
#include "mainwindow/contentsview.h"
#include "mainwindow/gotonumber.h"
#include "mainwindow/marks.h"
#include "mainwindow/markwindow.h"
#include "mainwindow/tembra1.h"
#include "search/datacontrol.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

// Each way is taken seven times for each of its two places, in turn, so that every time the
// list and the pane change; the median of the fourteen times.
void timeWay(tembra::Tembra1 *w, const char *what, const std::function<QWidget *(int)> &ready)
{
    auto *grid = w->findChild<QAbstractScrollArea *>(QStringLiteral("DataGrid1"));
    auto *pane = w->findChild<QAbstractScrollArea *>(QStringLiteral("Text1"));
    auto *count = w->findChild<QWidget *>(QStringLiteral("Label12"));
    const auto *data = w->findChild<tembra::DataControl *>(QStringLiteral("Adodc1"));
    PaintWatch paints({grid->viewport(), pane->viewport(), count});
    std::vector<double> whole, steps;
    int records[2] = {0, 0};
    for (int i = 0; i < 14; ++i) {
        QWidget *target = ready(i % 2);
        QCoreApplication::processEvents();
        paints.reset();
        QElapsedTimer t;
        t.start();
        pressEnter(target);
        steps.push_back(double(t.nsecsElapsed()) / 1e6);
        while (!paints.done() && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        whole.push_back(double(t.nsecsElapsed()) / 1e6);
        records[i % 2] = data->recordCount();
    }
    std::sort(whole.begin(), whole.end());
    const double all = median(whole);
    const double set = median(steps);
    std::printf("%s: %.1f ms to painted (median; %.1f the slowest): the list, the record and "
                "the pane set %.1f, painting %.1f; %d and %d hadiths listed\n",
                what, all, whole.back(), set, std::max(0.0, all - set), records[0], records[1]);
}

void timePlaces(tembra::Tembra1 *w)
{
    const auto *data = w->findChild<tembra::DataControl *>(QStringLiteral("Adodc1"));
    auto *contents = w->findChild<tembra::ContentsView *>();
    auto *numbers = w->findChild<tembra::GoToNumber *>();
    if (!data || !data->isOpen() || !contents || !numbers || data->contents().books().empty())
        return;
    data->search()->waitUntilReady();
    const std::vector<tembra::Contents::Book> &books = data->contents().books();
    const int last = int(books.size()) - 1;
    const auto largest = [&](int book) {
        const auto &chapters = books[size_t(book)].chapters;
        return int(
            std::max_element(chapters.begin(), chapters.end(),
                             [](const auto &a, const auto &b) { return a.hadiths < b.hadiths; })
            - chapters.begin());
    };
    const int chapters[2][2]
        = {{0, largest(0)}, {last, int(books[size_t(last)].chapters.size()) / 2}};
    const auto item = [&](int book, int chapter) {
        w->openContents();
        QTreeWidget *tree = contents->tree();
        QTreeWidgetItem *found = tree->topLevelItem(book);
        if (chapter >= 0)
            found = found->child(chapter);
        tree->setCurrentItem(found);
        return static_cast<QWidget *>(tree);
    };
    timeWay(w, "a chapter from the contents",
            [&](int i) { return item(chapters[i][0], chapters[i][1]); });
    timeWay(w, "a book from the contents", [&](int i) { return item(i == 0 ? 0 : last, -1); });
    const QString lastNumber
        = data->table()->text(data->table()->rowCount() - 1, tembra::Column::Number);
    const int lastBook = data->contents().bookOf(data->table()->rowCount() - 1);
    timeWay(w, "a hadith by its number", [&](int i) {
        w->askNumber();
        numbers->books()->setCurrentIndex(i == 0 ? 0 : lastBook);
        numbers->number()->setText(i == 0 ? QStringLiteral("3208") : lastNumber);
        return static_cast<QWidget *>(numbers->number());
    });
}

// The bookmarks file holds at least wanted bookmarks of the table's hadiths, spread over it,
// made through a store of their own (the window reads them as another reader's).
bool fillBookmarks(const tembra::HadithTable &table, int wanted)
{
    using namespace tembra;
    BookmarkStore store;
    std::vector<Bookmark> have;
    Error error;
    if (!store.open(BookmarkStore::defaultPath(), &error) || !store.all(&have, &error)) {
        std::fprintf(stderr, "bookmarks: %s\n", qPrintable(error.detail));
        return false;
    }
    if (int(have.size()) >= wanted || table.rowCount() == 0)
        return true;
    const int step = std::max(1, table.rowCount() / wanted);
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-60LL * wanted);
    std::vector<Bookmark> made;
    for (int i = 0; i < wanted && i * step < table.rowCount(); ++i) {
        const Record r = table.record(i * step);
        Bookmark b;
        b.key = keyOf(r);
        b.heading = r[Column::Heading];
        b.text = r[Column::Text];
        if (i % 3 != 0)
            b.note = QStringLiteral(u"تێبینی %1 بۆ وتاری هەینی").arg(i);
        b.created = start.addSecs(60LL * i);
        made.push_back(std::move(b));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("made.md"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(markdown::write(made)) < 0)
        return false;
    out.close();
    if (!store.importMarkdown(file, nullptr, &error)) {
        std::fprintf(stderr, "bookmarks: %s\n", qPrintable(error.detail));
        return false;
    }
    return true;
}

void press(QWidget *w, int key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// Runs events until every watched control has painted (at most two seconds); the time.
double untilPainted(PaintWatch &paints, const QElapsedTimer &t)
{
    while (!paints.done() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return double(t.nsecsElapsed()) / 1e6;
}

void timeMarks(tembra::Tembra1 *w, int wanted, const QStringList &texts)
{
    using namespace tembra;
    auto *data = w->findChild<DataControl *>(QStringLiteral("Adodc1"));
    if (!data || !data->table() || !fillBookmarks(*data->table(), wanted))
        return;
    w->marks()->refresh(); // the window reads what the other store added
    BookmarksView *view = w->bookmarksView();
    QWidget *list = view->list()->viewport();
    std::printf("bookmarks: %zu, %d of them in this collection\n", w->marks()->list().size(),
                int(std::count_if(w->marks()->rows().begin(), w->marks()->rows().end(),
                                  [](int row) { return row >= 0; })));
    PaintWatch listPainted({list});
    for (const char *when : {"first", "again"}) {
        view->hide();
        QCoreApplication::processEvents();
        listPainted.reset();
        QElapsedTimer t;
        t.start();
        w->showBookmarks();
        std::printf("view opened (%s): %.1f ms to its list painted\n", when,
                    untilPainted(listPainted, t));
    }
    for (const QString &text : texts) {
        view->filterBox()->clear();
        QCoreApplication::processEvents();
        std::vector<double> keys;
        for (const QChar c : text) {
            listPainted.reset();
            QElapsedTimer t;
            t.start();
            press(view->filterBox(), 0, QString(c));
            keys.push_back(untilPainted(listPainted, t));
        }
        const double first = keys.front();
        std::printf("filter %s: first key %.1f ms, median key %.1f ms, slowest %.1f ms to the "
                    "list painted; %d listed\n",
                    text.toUtf8().constData(), first, median(keys),
                    *std::max_element(keys.begin(), keys.end()), view->list()->model()->rowCount());
    }
    view->hide();

    // Marking: seven hadiths of a search that are not marked yet.
    auto *box = w->findChild<QLineEdit *>(QStringLiteral("Text2"));
    auto *grid = w->findChild<QAbstractScrollArea *>(QStringLiteral("DataGrid1"));
    auto *sign = w->findChild<QWidget *>(QStringLiteral("MarkSign"));
    if (!box || !grid || !sign || texts.isEmpty())
        return;
    box->setText(texts.first());
    w->Command1_Click();
    PaintWatch markPainted({grid->viewport(), sign});
    std::vector<double> marking;
    while (marking.size() < 7 && data->moveNext()) {
        if (w->marks()->atRow(data->currentRow()))
            continue;
        QCoreApplication::processEvents();
        w->markCurrent();
        const QPointer<MarkWindow> note = w->findChild<MarkWindow *>();
        if (!note)
            return;
        QCoreApplication::processEvents();
        note->noteBox()->setPlainText(QStringLiteral(u"تێبینی"));
        markPainted.reset();
        QElapsedTimer t;
        t.start();
        press(note->noteBox(), Qt::Key_Return, QStringLiteral("\r"));
        marking.push_back(untilPainted(markPainted, t));
        delete note.data(); // closed; gone at once, so that the next is the one found
    }
    std::printf("marked %zu: median %.1f ms, slowest %.1f ms from Enter to the mark painted "
                "in the row and beside the pane\n",
                marking.size(), median(marking),
                marking.empty() ? 0.0 : *std::max_element(marking.begin(), marking.end()));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList texts;
    bool enter = false;
    bool places = false;
    int marks = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--enter") == 0)
            enter = true;
        else if (std::strcmp(argv[i], "--places") == 0)
            places = true;
        else if (std::strcmp(argv[i], "--marks") == 0 && i + 1 < argc)
            marks = std::atoi(argv[++i]);
        else
            texts << QString::fromUtf8(argv[i]);
    }
    return tembra::runProgram(
        argc > 1 ? 1 : argc, argv, [texts, enter, places, marks](tembra::Tembra1 *w) {
            // Once the events of the showing (the first paint among them) are through.
            QTimer::singleShot(0, [w, texts, enter, places, marks] {
                std::printf("shown\n");
                if (marks > 0) {
                    timeMarks(w, marks, texts);
                } else if (places) {
                    timePlaces(w);
                } else if (enter) {
                    timeEnter(w, texts);
                } else if (!texts.isEmpty()) {
                    QElapsedTimer t;
                    t.start();
                    w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(texts.first());
                    w->Command1_Click();
                    const auto *data
                        = w->findChild<tembra::DataControl *>(QStringLiteral("Adodc1"));
                    std::printf("searched %.1f ms, %d matches\n", double(t.nsecsElapsed()) / 1e6,
                                data ? data->recordCount() : -1);
                }
                std::fflush(stdout);
                QApplication::quit();
            });
        });
}
