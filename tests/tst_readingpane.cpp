// The reading pane and the arrow keys: what the pane shows for the current record,
// which occurrence of the term it selects, the tooltips that follow the record, and
// the pane putting back whatever the user types into it.

#include "base/texts.h"
#include "forms/controls.h"
#include "mainwindow/tembra1.h"
#include "testwindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWheelEvent>

using namespace tembra;

namespace {

// The selected text of the pane, as its document holds it.
QString selected(const TextBox *pane)
{
    return pane->textCursor().selectedText();
}

} // namespace

class TestReadingPane : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void paneFollowsTheRecord();
    void selectionOfTheTerm_data();
    void selectionOfTheTerm();
    void otherOccurrencesAreMarked();
    void exactOptionSearchesAgain();
    void userEditsAreReverted();
    void arrowKeysMoveThroughMatches();
    void pageKeysAndTab();
    void paragraphsReadInTheirOwnDirection();
    void textZoom();
    void tooltipsFollowTheRecord();
    void oneBooksHadiths();
    void listKeysAndCopying();

private:
    void open(Tembra1 &w);

    QTemporaryDir m_dir;
    QString m_path;
};

void TestReadingPane::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    const std::vector<Record> records = {
        testutil::utf8Record("alpha text one", "1", "kind A", "line one", "book one"),
        testutil::utf8Record("alpha text one", "2", "kind B", "line two", "book two"), // same Tab1
        testutil::utf8Record("beta in the text, beta", "3", nullptr, "beta above", "book three"),
        testutil::utf8Record("ends with gamma", "4", "kind D", nullptr, "book four"),
        testutil::utf8Record("Delta upper, delta lower", "5", "kind E", "", nullptr),
        testutil::utf8Record("قَالَ رَسُولُ اللَّهِ", "6", "kind F", "عَنْ أَبِي هُرَيْرَةَ", "book six"),
        testutil::utf8Record("إِنَّمَا الأَعْمَالُ بِالنِّيَّاتِ", "7", "kind G",
                             "Narrated 'Umar:", "book seven"),
    };
    const QString why = testutil::writeCollection(m_path, records);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestReadingPane::open(Tembra1 &w)
{
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
}

// Each move shows the new record's own Tab4 line, also when the hadith text is the same
// as the record's before: every bound value is new before any handler runs.
void TestReadingPane::paneFollowsTheRecord()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    QCOMPARE(c.Text1->text(), QString()); // the grid is hidden before the first search
    testutil::search(w, QStringLiteral("alpha"));
    QCOMPARE(c.Text1->text(), QStringLiteral("line one\r\nalpha text one"));
    QVERIFY(c.Adodc1->moveNext());
    QCOMPARE(c.Text1->text(), QStringLiteral("line two\r\nalpha text one"));

    // the Label4 handler on its own composes from the new record's Tab4 as well
    QObject::connect(c.Label4, &TextBox::changed, &w, [&c] {
        QVERIFY(c.Label5->caption() == c.Adodc1->boundValue(tembra::Column::Heading));
    });
    testutil::search(w, QStringLiteral("text"));
    QVERIFY(c.Adodc1->moveNext());
    QVERIFY(c.Adodc1->moveNext());
    QCOMPARE(c.Text1->text(), QStringLiteral("beta above\r\nbeta in the text, beta"));
}

void TestReadingPane::selectionOfTheTerm_data()
{
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("start"); // in the composed text, "\r\n" counting two
    QTest::addColumn<QString>("selection");
    // "beta above\r\nbeta in the text, beta": the Tab4 line comes first
    QTest::newRow("in the Tab4 line first")
        << QStringLiteral("beta") << 0 << QStringLiteral("beta");
    // "\r\nends with gamma": the last possible start is found; the break is one position
    QTest::newRow("at the very end") << QStringLiteral("gamma") << 12 << QStringLiteral("gamma");
    // "\r\nDelta upper, delta lower": letter case aside, as the search compared it, so
    // that a listed hadith always shows what it was listed for
    QTest::newRow("case as the search") << QStringLiteral("delta") << 2 << QStringLiteral("Delta");
    QTest::newRow("listed, and selected")
        << QStringLiteral("DELTA") << 2 << QStringLiteral("Delta");
    // "عَنْ أَبِي هُرَيْرَةَ\r\nقَالَ رَسُولُ اللَّهِ": unvowelled, the word with its marks
    QTest::newRow("marks come along") << QStringLiteral(u"رسول") << 29 << QStringLiteral(u"رَسُولُ");
    // stored fatha before shadda, typed shadda before fatha: the same word, all of it
    QTest::newRow("marks typed in the other order")
        << QStringLiteral(u"\u0627\u0644\u0644\u0651\u064E\u0647") << 37
        << QStringLiteral(u"\u0627\u0644\u0644\u064E\u0651\u0647\u0650");
}

void TestReadingPane::selectionOfTheTerm()
{
    QFETCH(QString, term);
    QFETCH(int, start);
    QFETCH(QString, selection);
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    testutil::search(w, term);
    QCOMPARE(c.Label12->caption(), QStringLiteral("1"));
    QCOMPARE(selected(c.Text1), selection);
    if (start >= 0) {
        const auto breaks = c.Text1->text().left(start).count(QStringLiteral("\r\n"));
        QCOMPARE(c.Text1->textCursor().selectionStart(), int(start - breaks));
    }
}

// The first occurrence is the selection; every other one has a background of its own,
// and a record without the term keeps none of the last record's marks.
void TestReadingPane::otherOccurrencesAreMarked()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    testutil::search(w, QStringLiteral("beta")); // "beta above\r\nbeta in the text, beta"
    QCOMPARE(selected(c.Text1), QStringLiteral("beta"));
    QCOMPARE(c.Text1->textCursor().selectionStart(), 0);
    const QList<QTextEdit::ExtraSelection> others = c.Text1->extraSelections();
    QCOMPARE(others.size(), 2);
    for (const QTextEdit::ExtraSelection &other : others) {
        QCOMPARE(other.cursor.selectedText(), QStringLiteral("beta"));
        QVERIFY(other.format.background().style() != Qt::NoBrush);
        QVERIFY(other.format.background().color() != c.Text1->palette().color(QPalette::Highlight));
    }
    testutil::search(w, QStringLiteral("one")); // "line one\r\nalpha text one"
    QCOMPARE(c.Text1->extraSelections().size(), 1);
    testutil::search(w, QStringLiteral("gamma")); // once only
    QCOMPARE(c.Text1->extraSelections().size(), 0);
}

// Switching the option on compares marks and letter forms as they stand, and the last
// search runs again under it: an unvowelled word no longer finds the vowelled hadith.
void TestReadingPane::exactOptionSearchesAgain()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    QAction *exact = testutil::control<QAction>(w, "ExactMatch");
    QVERIFY(exact->isCheckable());
    QVERIFY(!exact->isChecked());
    exact->setChecked(true); // before any search: nothing runs
    QVERIFY(c.DataGrid1->isHidden());
    exact->setChecked(false);

    testutil::search(w, QStringLiteral(u"رسول"));
    QCOMPARE(c.Label12->caption(), QStringLiteral("1"));
    c.Text2->setText(QStringLiteral("typed since")); // the search that ran is the one rerun
    const int margin = c.Text2->textMargins().left(); // the box's own arrow at its end
    exact->setChecked(true);
    // the option in view inside the search box, its text clear of it
    const auto *shown = c.Text2->findChild<QLabel *>(QStringLiteral("ExactShown"));
    QVERIFY(shown && shown->isVisibleTo(c.Text2));
    QCOMPARE(shown->text(),
             QStringLiteral(u"\u0628\u06D5\u0631\u0627\u0648\u0631\u062F\u06CC "
                            u"\u0648\u0631\u062F"));
    QVERIFY(c.Text2->textMargins().left() >= margin + shown->sizeHint().width());
    QCOMPARE(c.Label12->caption(), QStringLiteral("0"));
    QCOMPARE(c.Text1->text(), QString());
    QCOMPARE(w.searchTerm(), QStringLiteral(u"رسول"));
    exact->setChecked(false);
    QVERIFY(!shown->isVisibleTo(c.Text2));
    QCOMPARE(c.Text2->textMargins().left(), margin);
    QCOMPARE(c.Label12->caption(), QStringLiteral("1"));
    QCOMPARE(selected(c.Text1), QStringLiteral(u"رَسُولُ"));
}

void TestReadingPane::userEditsAreReverted()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    w.show();
    c.Text1->setFocus();
    QTest::keyClicks(c.Text1, QStringLiteral("typed"));
    QCOMPARE(c.Text1->text(), QString()); // nothing before the first search
    QCOMPARE(c.Text1->toPlainText(), QString());

    testutil::search(w, QStringLiteral("gamma"));
    const QString shown = c.Text1->text();
    QTextCursor end = c.Text1->textCursor();
    end.movePosition(QTextCursor::End);
    c.Text1->setTextCursor(end);
    QTest::keyClicks(c.Text1, QStringLiteral("xy"));
    QTest::keyClick(c.Text1, Qt::Key_Backspace);
    QTest::keyClick(c.Text1, Qt::Key_Home);
    QTest::keyClick(c.Text1, Qt::Key_Delete);
    QCOMPARE(c.Text1->text(), shown);
    QCOMPARE(c.Text1->toPlainText(), QStringLiteral("\nends with gamma"));
    // nor by the clipboard: the pane takes no edits at all
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(c.Text1, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(c.Text1, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(c.Text1->toPlainText(), QStringLiteral("\nends with gamma"));
    // its own selection stays: the same search selects the term again
    testutil::search(w, QStringLiteral("gamma"));
    QCOMPARE(selected(c.Text1), QStringLiteral("gamma"));
}

void TestReadingPane::arrowKeysMoveThroughMatches()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    w.show();
    c.Text2->setFocus();
    QTest::keyClick(c.Text2, Qt::Key_Down); // nothing shown yet: the key is the box's
    QCOMPARE(c.Adodc1->absolutePosition(), 1);

    testutil::search(w, QStringLiteral("text"));
    QCOMPARE(c.Label12->caption(), QStringLiteral("3"));
    QTest::keyClick(c.Text2, Qt::Key_Down);
    QCOMPARE(c.Label1->caption(), QStringLiteral("2"));
    QCOMPARE(c.DataGrid1->currentIndex().row(), 1);
    QTest::keyClick(c.Text2, Qt::Key_Down);
    QCOMPARE(c.Label1->caption(), QStringLiteral("3"));
    QCOMPARE(selected(c.Text1), QStringLiteral("text"));

    // past the last: the move fails, and the key is left to the box
    int key = 40;
    w.Text2_KeyDown(key);
    QCOMPARE(key, 40);
    QCOMPARE(c.Label1->caption(), QStringLiteral("3"));
    key = 38;
    w.Text2_KeyDown(key);
    QCOMPARE(key, 0);
    QCOMPARE(c.Label1->caption(), QStringLiteral("2"));
    QTest::keyClick(c.Text2, Qt::Key_Up);
    key = 38;
    w.Text2_KeyDown(key);
    QCOMPARE(key, 38);
    QCOMPARE(c.Label1->caption(), QStringLiteral("1"));

    // "(" and "&" are characters for the box, whatever their key codes
    c.Text2->clear();
    QTest::keyClicks(c.Text2, QStringLiteral("(&"));
    QCOMPARE(c.Text2->text(), QStringLiteral("(&"));
    QCOMPARE(c.Label1->caption(), QStringLiteral("1"));
}

// PgDn and PgUp, in the search box and in the pane, go to the next and the previous match,
// as the pane's tooltip says; Tab and Shift+Tab leave the pane along the focus order.
void TestReadingPane::pageKeysAndTab()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    w.show();
    testutil::search(w, QStringLiteral("text")); // records 1, 2 and 3
    // laid out while hidden, the list's text column still reaches its right edge
    QCOMPARE(c.DataGrid1->columnViewportPosition(2) + c.DataGrid1->columnWidth(2),
             c.DataGrid1->viewport()->width());
    c.Text2->setFocus();
    QTest::keyClick(c.Text2, Qt::Key_PageDown);
    QCOMPARE(c.Label1->caption(), QStringLiteral("2"));
    c.Text1->setFocus();
    QTest::keyClick(c.Text1, Qt::Key_PageDown);
    QCOMPARE(c.Label1->caption(), QStringLiteral("3"));
    QTest::keyClick(c.Text1, Qt::Key_PageUp);
    QCOMPARE(c.Label1->caption(), QStringLiteral("2"));
    QTest::keyClick(c.Text2, Qt::Key_PageUp);
    QCOMPARE(c.Label1->caption(), QStringLiteral("1"));
    QCOMPARE(c.Text1->text(), QStringLiteral("line one\r\nalpha text one"));

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    c.Text1->setFocus();
    QCOMPARE(w.focusWidget(), c.Text1);
    QTest::keyClick(c.Text1, Qt::Key_Tab);
    // the list, the next stop that takes keys (its panel and the two beside the pane take
    // none, so they are no stops)
    QCOMPARE(w.focusWidget(), c.DataGrid1);
    // its panel shows that the list has the keys: drawn otherwise than without them
    const QImage focused = c.Pic1->grab().toImage();
    c.Text1->setFocus();
    QVERIFY(c.Pic1->grab().toImage() != focused);
    QTest::keyClick(c.Text1, Qt::Key_Tab);
    QCOMPARE(w.focusWidget(), c.DataGrid1);
    QCOMPARE(c.Text1->toPlainText(), QStringLiteral("line one\nalpha text one")); // no tab typed
    // and the list takes the keys it shows it has
    const int at = c.Adodc1->absolutePosition();
    QTest::keyClick(c.DataGrid1, Qt::Key_Down);
    QCOMPARE(c.Adodc1->absolutePosition(), at + 1);
    QTest::keyClick(c.DataGrid1, Qt::Key_Escape);
    QCOMPARE(w.focusWidget(), c.Text2);
    c.Text1->setFocus();
    QTest::keyClick(c.Text1, Qt::Key_Backtab);
    QCOMPARE(w.focusWidget(), c.Command1); // the one before it
}

// An English line above an Arabic hadith reads left to right, its start on the left, while
// it still stands against the right edge; the Arabic text reads right to left.
void TestReadingPane::paragraphsReadInTheirOwnDirection()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    testutil::search(w, QStringLiteral(u"الأعمال"));
    QCOMPARE(c.Text1->text().left(15), QStringLiteral("Narrated 'Umar:"));
    const QTextBlock english = c.Text1->document()->firstBlock();
    const QTextBlock arabic = english.next();
    const auto startAndEnd = [](const QTextBlock &block) {
        const QTextLine line = block.layout()->lineAt(0);
        return std::make_pair(line.cursorToX(0), line.cursorToX(block.length() - 1));
    };
    const auto [englishStart, englishEnd] = startAndEnd(english);
    QVERIFY2(englishStart < englishEnd, "the English line reads from the left");
    const auto [arabicStart, arabicEnd] = startAndEnd(arabic);
    QVERIFY2(arabicStart > arabicEnd, "the Arabic text reads from the right");
    // both against the right edge of the page
    const qreal page = c.Text1->document()->textWidth() > 0 ? c.Text1->document()->textWidth()
                                                            : c.Text1->viewport()->width();
    QVERIFY(page - english.layout()->lineAt(0).naturalTextRect().right() < 12);
    QVERIFY(page - arabic.layout()->lineAt(0).naturalTextRect().right() < 12);
}

// Ctrl+wheel, Ctrl+= and Ctrl+- make the pane's text larger and smaller, within bounds, and
// Ctrl+0 gives back the design's 18 points.
void TestReadingPane::textZoom()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    c.Text2->setFocus();
    const auto points = [&c] { return c.Text1->font().pointSizeF(); };
    QCOMPARE(points(), 18.0);
    QTest::keyClick(c.Text2, Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY(points() > 18.0);
    const auto wheel = [&c](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(10, 10);
        QWheelEvent event(at, c.Text1->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c.Text1->viewport(), &event);
    };
    const qreal before = points();
    wheel(120, Qt::ControlModifier);
    QVERIFY(points() > before);
    wheel(-240, Qt::ControlModifier);
    QVERIFY(points() < before);
    wheel(-120, Qt::NoModifier); // a plain wheel scrolls, and the size stays
    QVERIFY(points() < before);
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(c.Text2, Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(points() >= 8.0 && points() <= 12.0); // still a size to read
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(c.Text2, Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY(points() >= 36.0 && points() <= 72.0);
    QTest::keyClick(c.Text2, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(points(), 18.0);
}

void TestReadingPane::tooltipsFollowTheRecord()
{
    Tembra1 w;
    const testutil::Controls c(w);
    open(w);
    // The pieces around each value, whose texts the window tests check by their code
    // points; here, that each tooltip is the pieces and the record's own value, in order.
    QCOMPARE(c.Label1->toolTip(), texts::numberTooltipHead() + QStringLiteral("1 "));
    QCOMPARE(c.Label2->toolTip(),
             texts::kindTooltipHead() + QStringLiteral("kind A") + texts::braceTooltipTail());
    QCOMPARE(c.Label3->toolTip(),
             texts::bookTooltipHead() + QStringLiteral("book one") + texts::braceTooltipTail());
    const QString hint = texts::pageKeyHint();
    QCOMPARE(c.Text1->toolTip(), hint);

    testutil::search(w, QStringLiteral("text")); // records 1, 2, 3; the third has no kind
    QVERIFY(c.Adodc1->moveLast());
    QCOMPARE(c.Text1->toolTip(), QString());
    QVERIFY(c.Label2->toolTip().endsWith(QStringLiteral(u"{} ه ")));
    QVERIFY(c.Adodc1->movePrevious());
    QCOMPARE(c.Text1->toolTip(), hint);
    QVERIFY(c.Label1->toolTip().endsWith(QStringLiteral(" : 2 ")));
}

namespace {

// Five hadiths in two books, the same number in both; "alpha" is in all but the fourth.
QString writeBooks(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("books.mdb"));
    const QString why = testutil::writeCollection(
        path,
        {testutil::utf8Record("alpha one", "1", "kind", "line zero", "Book A"),
         testutil::utf8Record("alpha two", "2", "kind", nullptr, "Book B"),
         testutil::utf8Record("alpha three", "1", "kind", "line two", "Book A"),
         testutil::utf8Record("no match here", "3", "kind", nullptr, "Book A"),
         testutil::utf8Record("alpha four", "4", "kind", nullptr, "Book B")});
    return why.isEmpty() ? path : QString();
}

} // namespace

// The list narrowed to the current hadith's book, the whole book read from it, then every
// book again: the count first, then the grid, the current record and the pane, as a
// search shows them; the hadith read stays current throughout.
void TestReadingPane::oneBooksHadiths()
{
    const QString path = writeBooks(m_dir);
    QVERIFY(!path.isEmpty());
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(path, c.Adodc1);
    testutil::search(w, QStringLiteral("alpha"));
    QCOMPARE(c.Label12->caption(), QStringLiteral("4"));
    QVERIFY(c.Adodc1->moveTo(3)); // "alpha three", Book A

    QStringList events;
    QObject::connect(c.Label12, &Label::changed, &w,
                     [&] { events << QStringLiteral("count ") + c.Label12->caption(); });
    QObject::connect(c.DataGrid1->model(), &QAbstractItemModel::modelReset, &w, [&] {
        events << QStringLiteral("grid %1").arg(c.DataGrid1->model()->rowCount());
    });
    // the pane is composed with the current record already new: its position says so
    QObject::connect(c.Text1, &TextBox::changed, &w, [&] {
        events << QStringLiteral("pane %1 ").arg(c.Adodc1->absolutePosition()) + c.Text1->text();
    });
    const auto grid = [&] {
        QStringList rows;
        const QAbstractItemModel *model = c.DataGrid1->model();
        for (int r = 0; r < model->rowCount(); ++r)
            rows << model->data(model->index(r, 2)).toString();
        return rows;
    };

    w.onlyThisBook();
    // the hadith read stays: its number, book and pane have nothing new to say
    QCOMPARE(events, QStringList({QStringLiteral("count 2"), QStringLiteral("grid 2")}));
    QCOMPARE(c.Text1->text(), QStringLiteral("line two\r\nalpha three"));
    QCOMPARE(grid(), QStringList({QStringLiteral("alpha one"), QStringLiteral("alpha three")}));
    QCOMPARE(c.Adodc1->absolutePosition(), 2);
    QCOMPARE(c.DataGrid1->currentIndex().row(), 1);
    QCOMPARE(c.Text1->textCursor().selectedText(), QStringLiteral("alpha"));

    // the whole book, in its stored order, read on with the keys from the hadith read
    events.clear();
    w.readBookFromHere();
    QCOMPARE(events, QStringList({QStringLiteral("count 3"), QStringLiteral("grid 3")}));
    QCOMPARE(grid(),
             QStringList({QStringLiteral("alpha one"), QStringLiteral("alpha three"),
                          QStringLiteral("no match here")}));
    QCOMPARE(c.Adodc1->absolutePosition(), 2);
    int down = 40;
    w.Text2_KeyDown(down);
    QCOMPARE(c.Text1->text(), QStringLiteral("\r\nno match here"));
    QCOMPARE(c.Label1->caption(), QStringLiteral("3"));
    int past = 40;
    w.Text2_KeyDown(past); // the book ends here
    QCOMPARE(past, 40);

    // every book again, the hadith kept where the result holds it
    w.Text2_KeyDown(down = 38);
    events.clear();
    w.allBooks();
    QCOMPARE(events.first(), QStringLiteral("count 4"));
    QCOMPARE(events.at(1), QStringLiteral("grid 4"));
    QCOMPARE(c.Adodc1->absolutePosition(), 3);
    QCOMPARE(c.Label3->caption(), QStringLiteral("Book A"));

    // from a hadith the search did not find, back to the search's first
    w.readBookFromHere();
    w.Text2_KeyDown(down = 40);
    QCOMPARE(c.Label1->caption(), QStringLiteral("3"));
    events.clear();
    w.allBooks();
    QCOMPARE(events,
             QStringList({QStringLiteral("count 4"), QStringLiteral("grid 4"),
                          QStringLiteral("pane 1 line zero\r\nalpha one")}));
    QCOMPARE(c.DataGrid1->currentIndex().row(), 0);
}

// Tab and Shift+Tab leave the list; Ctrl+C there copies the hadith with its source, and so
// does Ctrl+Shift+C from anywhere; Esc, Ctrl+F and Ctrl+L go back to the search box with
// its text selected.
void TestReadingPane::listKeysAndCopying()
{
    const QString path = writeBooks(m_dir);
    QVERIFY(!path.isEmpty());
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(path, c.Adodc1);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    testutil::search(w, QStringLiteral("alpha"));
    QVERIFY(c.Adodc1->moveTo(3));

    c.DataGrid1->setFocus();
    QTest::keyClick(c.DataGrid1, Qt::Key_Tab);
    QVERIFY(w.focusWidget() != c.DataGrid1);
    QCOMPARE(c.Adodc1->absolutePosition(), 3); // and the record stayed
    c.DataGrid1->setFocus();
    QTest::keyClick(c.DataGrid1, Qt::Key_Backtab);
    QVERIFY(w.focusWidget() != c.DataGrid1);
    QCOMPARE(c.Adodc1->absolutePosition(), 3);

    // "، ژمارە ": the Arabic comma, a space, the word for number, a space
    const QString cited = QStringLiteral(u"line two\nalpha three\nBook A\u060C "
                                         u"\u0698\u0645\u0627\u0631\u06D5 1");
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    c.DataGrid1->setFocus();
    QTest::keyClick(c.DataGrid1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), cited);
    clipboard->clear();
    c.Text1->setFocus();
    QTest::keyClick(c.Text1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), cited);
    // the pane's own Ctrl+C copies its selection, the term
    QTest::keyClick(c.Text1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("alpha"));

    for (QWidget *from : {static_cast<QWidget *>(c.Text1), static_cast<QWidget *>(c.DataGrid1)}) {
        for (const QKeyCombination keys :
             {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_F),
              QKeyCombination(Qt::CTRL | Qt::Key_L)}) {
            from->setFocus();
            c.Text2->deselect();
            QTest::keyClick(from, keys.key(), keys.keyboardModifiers());
            QCOMPARE(w.focusWidget(), c.Text2);
            QCOMPARE(c.Text2->selectedText(), QStringLiteral("alpha"));
        }
    }
}

QTEST_MAIN(TestReadingPane)
#include "tst_readingpane.moc"
