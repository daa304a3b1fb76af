// Bookmarks and notes, through the window: marking from the keyboard with the mark shown in
// the hadith's row and beside the pane, a mark that cannot be saved, the bookmarks view
// (the box that narrows it, Enter that opens a bookmark's place, Delete and Ctrl+Z, a
// bookmark of another collection), the marks following another collection, and a damaged
// bookmarks file. What is on the disk is read back by SQLite itself.

#include "base/texts.h"
#include "bookmarks/bookmarkstore.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "mainwindow/bookmarksview.h"
#include "mainwindow/marks.h"
#include "mainwindow/markwindow.h"
#include "mainwindow/tembra1.h"
#include "search/resultmodel.h"
#include "testwindow.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace tembra;

namespace {

// The fixture's rows: text, number, chapter, book. "alpha" is in three of them, in both books.
using testutil::Row;
const Row kRows[] = {
    {"alpha one", "1", "faith", "Book A"},    {"beta two", "2", "faith", "Book A"},
    {"alpha three", "3", "prayer", "Book A"}, {"gamma four", "1", "faith", "Book B"},
    {"alpha five", "2", "prayer", "Book B"},
};

// A bookmark as SQLite reads it from the file.
struct Stored {
    qint64 id = 0;
    QString book;
    QString number;
    QString text;
    QString note;
    QString created;
    friend bool operator==(const Stored &a, const Stored &b)
    {
        return a.id == b.id && a.book == b.book && a.number == b.number && a.text == b.text
            && a.note == b.note && a.created == b.created;
    }
};

// Every bookmark in the file, by SQLite's own reading (the log of changes with it).
std::vector<Stored> stored(const QString &path)
{
    std::vector<Stored> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, book, number, text, note, created FROM bookmark ORDER BY id",
                       -1, &select, nullptr);
    const auto text = [&](int column) {
        return QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(select, column)));
    };
    while (select && sqlite3_step(select) == SQLITE_ROW)
        rows.push_back(
            {sqlite3_column_int64(select, 0), text(1), text(2), text(3), text(4), text(5)});
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

// The note window that is open now, or null.
MarkWindow *noteWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<MarkWindow *>(w); found && found->isVisible())
            return found;
    }
    return nullptr;
}

// The texts of the view's text column, as it lists them.
QStringList listedTexts(const BookmarksView &view)
{
    QStringList texts;
    const QAbstractItemModel *model = view.list()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        texts << model->index(r, 2).data().toString();
    return texts;
}

} // namespace

class TestBookmarksWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void markFromTheWindow();
    void markThatCannotBeSaved();
    void viewFiltersOpensRemovesAndUndoes();
    void marksFollowAnotherCollection();
    void damagedFileLeavesTheReaderWorking_data();
    void damagedFileLeavesTheReaderWorking();

private:
    void open(Tembra1 &w, const QString &bookmarks);
    void ctrl(QWidget *to, Qt::Key key);

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_boxes;
};

void TestBookmarksWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    const QString why = testutil::writeRows(m_path, kRows);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    msgbox::setHook([this](const QString &prompt, const QString &) { m_boxes << prompt; });
}

void TestBookmarksWindow::init()
{
    m_boxes.clear();
}

void TestBookmarksWindow::cleanupTestCase()
{
    msgbox::setHook({});
}

void TestBookmarksWindow::open(Tembra1 &w, const QString &bookmarks)
{
    w.setSettingsStore(ReaderSettings(m_dir.filePath(QStringLiteral("settings.ini"))));
    w.setBookmarksFile(QFile::encodeName(bookmarks));
    testutil::loadCollection(m_path, testutil::Controls(w).Adodc1);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(w.marks()->isOpen() || w.marks()->openError().isError()); // once shown
}

void TestBookmarksWindow::ctrl(QWidget *to, Qt::Key key)
{
    QTest::keyClick(to, key, Qt::ControlModifier);
}

// Ctrl+D on the current hadith: the note window with its box ready (empty for a new mark),
// Enter saves, and the mark is in the file and shown in the hadith's row and beside the
// pane; Ctrl+D again shows the note, Esc leaves it, the button removes the mark.
void TestBookmarksWindow::markFromTheWindow()
{
    const QString file = m_dir.filePath(QStringLiteral("mark/bookmarks.sqlite"));
    Tembra1 w;
    open(w, file);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("alpha"));
    c.Text1->setFocus();
    ctrl(c.Text1, Qt::Key_D);
    MarkWindow *note = noteWindow();
    QVERIFY(note);
    QTRY_COMPARE(QApplication::focusWidget(), note->noteBox());
    QCOMPARE(note->noteBox()->toPlainText(), QString());
    QVERIFY(note->removeButton()->isHidden());
    QTest::keyClicks(note->noteBox(), QStringLiteral("first line"));
    QTest::keyClick(note->noteBox(), Qt::Key_Return, Qt::ShiftModifier); // a line break
    QTest::keyClicks(note->noteBox(), QStringLiteral("second"));
    QTest::keyClick(note->noteBox(), Qt::Key_Return);
    QVERIFY(!noteWindow());
    QTRY_VERIFY(w.isActiveWindow()); // the keys back where they were

    std::vector<Stored> rows = stored(file);
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].book, QStringLiteral("Book A"));
    QCOMPARE(rows[0].number, QStringLiteral("1"));
    QCOMPARE(rows[0].note, QStringLiteral("first line\nsecond"));

    // The row of the marked hadith, and only it, shows the sign and says it in words.
    const QAbstractItemModel *model = c.DataGrid1->model();
    QCOMPARE(model->rowCount(), 3);
    for (int r = 0; r < 3; ++r)
        QCOMPARE(model->index(r, 0).data(ResultModel::MarkRole).toBool(), r == 0);
    QVERIFY(
        model->index(0, 0).data(Qt::AccessibleTextRole).toString().endsWith(texts::markedShown()));
    QVERIFY(model->index(0, 2)
                .data(Qt::ToolTipRole)
                .toString()
                .contains(texts::noteWord() + QStringLiteral(": first line\nsecond")));
    auto *sign = testutil::control<QWidget>(w, "MarkSign");
    QVERIFY(sign->isVisible());
    QCOMPARE(sign->accessibleName(), texts::markedShown());
    QVERIFY(sign->toolTip().startsWith(texts::markedShown()));
    QVERIFY(testutil::onlySorani(sign->toolTip().remove(QStringLiteral("first line\nsecond"))));
    // beside the pane: on its heading bar, above it
    QVERIFY(sign->geometry().bottom() <= c.Text1->geometry().top());
    QVERIFY(sign->geometry().right() <= c.Text1->geometry().right());
    QVERIFY(sign->geometry().right() > c.Text1->geometry().center().x());

    // The next match is not marked.
    QTest::keyClick(c.Text2, Qt::Key_Down);
    QVERIFY(sign->isHidden());
    QTest::keyClick(c.Text2, Qt::Key_Up);
    QVERIFY(sign->isVisible());

    // Again: the note, to be changed; Esc changes nothing.
    ctrl(c.Text2, Qt::Key_D);
    note = noteWindow();
    QVERIFY(note);
    QCOMPARE(note->noteBox()->toPlainText(), QStringLiteral("first line\nsecond"));
    QVERIFY(!note->removeButton()->isHidden());
    QTest::keyClicks(note->noteBox(), QStringLiteral(" more"));
    QTest::keyClick(note->noteBox(), Qt::Key_Escape);
    QVERIFY(!noteWindow());
    QTRY_VERIFY(w.isActiveWindow());
    QCOMPARE(stored(file)[0].note, QStringLiteral("first line\nsecond"));

    ctrl(c.DataGrid1, Qt::Key_D);
    note = noteWindow();
    QVERIFY(note);
    note->removeButton()->click();
    QVERIFY(!noteWindow());
    QVERIFY(stored(file).empty());
    QVERIFY(!model->index(0, 0).data(ResultModel::MarkRole).toBool());
    QVERIFY(sign->isHidden());
    QVERIFY(m_boxes.isEmpty());
}

// Where the bookmarks cannot be written, the note window says why over itself and keeps the
// note; the window shows no mark.
void TestBookmarksWindow::markThatCannotBeSaved()
{
    const QString folder = m_dir.filePath(QStringLiteral("readonly"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/bookmarks.sqlite");
    {
        BookmarkStore made; // the file as an earlier run left it
        QVERIFY(made.open(QFile::encodeName(file)));
    }
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0444) == 0);
    Tembra1 w;
    open(w, file);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("alpha"));
    ctrl(c.Text2, Qt::Key_D);
    MarkWindow *note = noteWindow();
    QVERIFY(note);
    QTest::keyClicks(note->noteBox(), QStringLiteral("kept"));
    QTest::keyClick(note->noteBox(), Qt::Key_Return);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].startsWith(texts::markNotSaved()), qPrintable(m_boxes[0]));
    QVERIFY2(m_boxes[0].contains(file), qPrintable(m_boxes[0]));
    QVERIFY(testutil::onlySorani(m_boxes[0], {file}));
    QCOMPARE(noteWindow(), note);
    QCOMPARE(note->noteBox()->toPlainText(), QStringLiteral("kept"));
    QTest::keyClick(note->noteBox(), Qt::Key_Escape);
    QVERIFY(!c.DataGrid1->model()->index(0, 0).data(ResultModel::MarkRole).toBool());
    QVERIFY(testutil::control<QWidget>(w, "MarkSign")->isHidden());
    QVERIFY(stored(file).empty());
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
}

// The view lists every bookmark, the newest first; the box narrows it by note and text;
// Enter opens a bookmark where its hadith stands in its book, and never a bookmark whose
// hadith this collection lacks; Delete removes one and Ctrl+Z brings it back as it was.
void TestBookmarksWindow::viewFiltersOpensRemovesAndUndoes()
{
    const QString file = m_dir.filePath(QStringLiteral("view/bookmarks.sqlite"));
    {
        BookmarkStore store;
        QVERIFY(store.open(QFile::encodeName(file)));
        // Book A 3 ("alpha three"), then Book B 1 ("gamma four"), then a hadith of another
        // collection under Book A 1, a number this collection holds with another text,
        // then Book B 2 ("alpha five"): the last made first in the view.
        QVERIFY(store.mark(testutil::rowRecord(kRows[2]), QStringLiteral("read at dawn")));
        QVERIFY(store.mark(testutil::rowRecord(kRows[3]), QString()));
        QVERIFY(store.mark(testutil::utf8Record("alpha elsewhere", "1", "faith", nullptr, "Book A"),
                           QStringLiteral("from the old copy")));
        QVERIFY(store.mark(testutil::rowRecord(kRows[4]), QStringLiteral("alpha in the note too")));
    }
    Tembra1 w;
    open(w, file);
    const testutil::Controls c(w);
    ctrl(c.Text2, Qt::Key_B);
    BookmarksView *view = w.bookmarksView();
    QVERIFY(view->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), view->filterBox());
    const QString elsewhere
        = QLatin1Char('(') + texts::notInThisCollection() + QStringLiteral(") alpha elsewhere");
    QCOMPARE(listedTexts(*view),
             (QStringList{QStringLiteral("alpha five"), elsewhere, QStringLiteral("gamma four"),
                          QStringLiteral("alpha three")}));
    const QAbstractItemModel *model = view->list()->model();
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Book A"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("1"));
    QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("from the old copy"));
    QCOMPARE(model->index(1, 2).data(Qt::AccessibleDescriptionRole).toString(),
             texts::notInThisCollection());
    for (int column = 0; column < 5; ++column)
        QVERIFY(testutil::onlySorani(model->headerData(column, Qt::Horizontal).toString()));

    // Narrowed by note and text alike: "alpha" is in three texts and a note; "dawn" in one note.
    QTest::keyClicks(view->filterBox(), QStringLiteral("dawn"));
    QCOMPARE(listedTexts(*view), QStringList{QStringLiteral("alpha three")});
    view->filterBox()->clear();
    QTest::keyClicks(view->filterBox(), QStringLiteral("ALPHA"));
    QCOMPARE(listedTexts(*view),
             (QStringList{QStringLiteral("alpha five"), elsewhere, QStringLiteral("alpha three")}));

    // The bookmark of the other collection: said, and nothing opened.
    QTest::keyClick(view->filterBox(), Qt::Key_Down);
    QCOMPARE(view->list()->currentIndex().row(), 1);
    const std::optional<Listing> before = c.Adodc1->listing();
    const int rowBefore = c.Adodc1->currentRow();
    QTest::keyClick(view->filterBox(), Qt::Key_Return);
    QVERIFY(view->isVisible());
    QCOMPARE(view->status()->text(), texts::notInThisCollection());
    QCOMPARE(c.Adodc1->listing(), before);
    QCOMPARE(c.Adodc1->currentRow(), rowBefore);
    QVERIFY(c.DataGrid1->isHidden());

    // "alpha three": its hadith current, its book listed.
    QTest::keyClick(view->filterBox(), Qt::Key_Down);
    QTest::keyClick(view->list(), Qt::Key_Return);
    QVERIFY(!view->isVisible());
    QCOMPARE(c.Adodc1->currentRecord(), testutil::rowRecord(kRows[2]));
    QCOMPARE(c.Adodc1->listing(),
             Listing::wholeBook(QStringLiteral("Book A"), QStringLiteral("3")));
    QCOMPARE(c.Adodc1->recordCount(), 3); // Book A's three hadiths
    QVERIFY(c.DataGrid1->isVisible());
    QVERIFY(c.Text1->text().contains(QStringLiteral("alpha three")));
    QVERIFY(testutil::control<QWidget>(w, "MarkSign")->isVisible());
    QTRY_VERIFY(w.isActiveWindow()); // to read on in

    // A bookmark opened is a step like any other: Alt+Left goes back to where the reader
    // was, Alt+Right to the bookmark's hadith again.
    QTest::keyClick(c.Text1, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(c.Adodc1->listing().value_or(Listing::wholeTable()),
             before.value_or(Listing::wholeTable()));
    QCOMPARE(c.Adodc1->currentRow(), rowBefore);
    QTest::keyClick(c.Text1, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(c.Adodc1->currentRecord(), testutil::rowRecord(kRows[2]));
    QCOMPARE(c.Adodc1->listing(),
             Listing::wholeBook(QStringLiteral("Book A"), QStringLiteral("3")));

    // Delete, then Ctrl+Z: the same bookmark back in the file, its id, note and date.
    ctrl(c.Text1, Qt::Key_B);
    QTRY_VERIFY(view->isActiveWindow());
    view->filterBox()->clear();
    const std::vector<Stored> all = stored(file);
    QCOMPARE(all.size(), size_t(4));
    QTest::keyClick(view->filterBox(), Qt::Key_Down);
    QTest::keyClick(view->filterBox(), Qt::Key_Down);
    QCOMPARE(listedTexts(*view).at(view->list()->currentIndex().row()),
             QStringLiteral("gamma four"));
    view->list()->setFocus();
    QTest::keyClick(view->list(), Qt::Key_Delete);
    std::vector<Stored> left = stored(file);
    QCOMPARE(left.size(), size_t(3));
    QVERIFY(std::none_of(left.begin(), left.end(),
                         [](const Stored &s) { return s.text == QLatin1String("gamma four"); }));
    QVERIFY(!listedTexts(*view).contains(QStringLiteral("gamma four")));
    QVERIFY(view->status()->text().startsWith(texts::markRemoved()));
    ctrl(view->list(), Qt::Key_Z);
    QCOMPARE(stored(file), all);
    QCOMPARE(listedTexts(*view).size(), 4);
    QCOMPARE(listedTexts(*view).at(view->list()->currentIndex().row()),
             QStringLiteral("gamma four"));

    // F2: its note changed in the file and in the list, the bookmark still current.
    QTest::keyClick(view->list(), Qt::Key_F2);
    MarkWindow *note = noteWindow();
    QVERIFY(note);
    QTest::keyClicks(note->noteBox(), QStringLiteral("now a note"));
    QTest::keyClick(note->noteBox(), Qt::Key_Return);
    QVERIFY(!noteWindow());
    left = stored(file);
    QVERIFY(std::any_of(left.begin(), left.end(), [](const Stored &s) {
        return s.text == QLatin1String("gamma four") && s.note == QLatin1String("now a note");
    }));
    const QModelIndex current = view->list()->currentIndex();
    QCOMPARE(model->index(current.row(), 3).data().toString(), QStringLiteral("now a note"));
    QVERIFY(m_boxes.isEmpty());
}

// Another collection in the window: the marks name its rows, and a hadith it lacks has none.
void TestBookmarksWindow::marksFollowAnotherCollection()
{
    const QString file = m_dir.filePath(QStringLiteral("follow/bookmarks.sqlite"));
    Tembra1 w;
    open(w, file);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("alpha five"));
    ctrl(c.Text2, Qt::Key_D);
    QVERIFY(noteWindow());
    QTest::keyClick(noteWindow()->noteBox(), Qt::Key_Return);
    QVERIFY(w.marks()->atRow(4));

    // The same hadith first in the other collection, which lacks "alpha one".
    const QString other = m_dir.filePath(QStringLiteral("Other.mdb"));
    QCOMPARE(testutil::writeCollection(
                 other, {testutil::rowRecord(kRows[4]), testutil::rowRecord(kRows[1])}),
             QString());
    ChildRead reading = ChildRead::start(QFile::encodeName(other));
    HadithTable table;
    Error error;
    QVERIFY(reading.collect(&table, &error));
    w.setCollection(std::move(table));
    QVERIFY(w.marks()->atRow(0));
    QCOMPARE(w.marks()->atRow(0)->key.number, Field(QStringLiteral("2")));
    QVERIFY(!w.marks()->atRow(1));
    QVERIFY(!w.marks()->atRow(4));
}

void TestBookmarksWindow::damagedFileLeavesTheReaderWorking_data()
{
    QTest::addColumn<bool>("ours");
    QTest::newRow("not SQLite") << false;
    QTest::newRow("ours, damaged") << true;
}

// A bookmarks file that is damaged or not the program's is named in a message and left as
// it is; the reader searches and reads on, and Ctrl+D and the view say why there are no
// bookmarks.
void TestBookmarksWindow::damagedFileLeavesTheReaderWorking()
{
    QFETCH(bool, ours);
    const QString file = m_dir.filePath(
        QStringLiteral("bad-%1.sqlite").arg(QLatin1String(ours ? "ours" : "other")));
    QByteArray bytes = "these are someone's notes, not a database\n";
    if (ours) {
        // A file of the program's with a page of its table overwritten.
        {
            BookmarkStore store;
            QVERIFY(store.open(QFile::encodeName(file)));
            for (int i = 0; i < 40; ++i)
                QVERIFY(
                    store.mark(testutil::utf8Record(QByteArray(300, char('a' + i % 26)).constData(),
                                                    QByteArray::number(i).constData()),
                               QString()));
        }
        bytes = testutil::fileBytes(file);
        QVERIFY(bytes.size() > 3 * 4096);
        bytes.replace(4096, 4096, QByteArray(4096, '\x5a'));
    }
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(bytes), bytes.size());
    }
    Tembra1 w;
    open(w, file);
    const testutil::Controls c(w);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].startsWith(texts::bookmarksFileBad()), qPrintable(m_boxes[0]));
    QVERIFY2(m_boxes[0].contains(file), qPrintable(m_boxes[0]));
    QVERIFY(testutil::onlySorani(m_boxes[0], {file}));

    testutil::search(w, QStringLiteral("alpha"));
    QCOMPARE(c.Label12->caption(), QStringLiteral("3"));
    ctrl(c.Text2, Qt::Key_D);
    QVERIFY(!noteWindow());
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes[1], m_boxes[0]);
    ctrl(c.Text2, Qt::Key_B);
    QVERIFY(w.bookmarksView()->status()->text().startsWith(texts::bookmarksFileBad()));
    QCOMPARE(w.bookmarksView()->list()->model()->rowCount(), 0);
    w.close();
    QCOMPARE(testutil::fileBytes(file), bytes);
    QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
}

QTEST_MAIN(TestBookmarksWindow)
#include "tst_bookmarkswindow.moc"
