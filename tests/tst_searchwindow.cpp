// Searching as readers search, through the window: what the list says it holds, the counts
// by book beside it and narrowing by them, the list's menu that names what it narrows to,
// the offer of the words in any order, and the earlier searches.

#include "forms/controls.h"
#include "mainwindow/tembra1.h"
#include "testwindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace tembra;

namespace {

// The fixture's rows: text, number, chapter (Tab3), book (Tab5). One book has no name (NULL),
// the last row's book has the empty name. Book A comes first in the table, while Book B
// holds the first "alpha".
using testutil::Row;
const Row kRows[] = {
    {"nothing here", "4", "faith", "Book A"}, {"alpha two", "1", "prayer", "Book B"},
    {"alpha one", "1", "faith", "Book A"},    {"alpha three", "2", "faith", "Book A"},
    {"beta alpha", "3", "prayer", "Book A"},  {"alpha four", "2", "faith", "Book B"},
    {"alpha five", "1", "faith", nullptr},    {"alpha six", "1", "faith", ""},
};

// The number of rows whose text holds every word, as a reader counts them by hand.
int countWhere(const std::function<bool(const Row &)> &holds)
{
    int n = 0;
    for (const Row &row : kRows)
        n += holds(row) ? 1 : 0;
    return n;
}

// Runs the menu that opens next: picks the action whose object name is given (or the
// index-th of those with text), after reading every item's text into *seen.
void answerMenu(const QString &name, int index, QStringList *seen)
{
    QTimer::singleShot(0, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction *chosen = nullptr;
        int at = 0;
        for (QAction *action : menu->actions()) {
            if (action->isSeparator() || action->text().isEmpty())
                continue;
            if (seen)
                *seen << action->text();
            if ((!name.isEmpty() && action->objectName() == name)
                || (name.isEmpty() && !action->isSeparator() && action->isEnabled()
                    && at++ == index))
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    });
}

} // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void listSaysWhatItHolds();
    void menuNamesWhatItNarrowsTo();
    void wordsInAnyOrderOffered();
    void earlierSearches();

private:
    void open(Tembra1 &w);

    QTemporaryDir m_dir;
    QString m_path;
};

void TestSearchWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    const QString why = testutil::writeRows(m_path, kRows);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestSearchWindow::open(Tembra1 &w)
{
    w.setSettingsStore(ReaderSettings(m_dir.filePath(QStringLiteral("settings.ini"))));
    testutil::loadCollection(m_path, testutil::Controls(w).Adodc1);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

// A search, that search in one book chosen beside the list and every book again, a book
// read from a hadith: each time the caption says which, the count is the list's, and the
// books keep the search's counts in the order the books first appear, NULL and the empty
// name two books of their own.
void TestSearchWindow::listSaysWhatItHolds()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    auto *caption = testutil::control<QLabel>(w, "ListCaption");
    auto *books = testutil::control<QTreeWidget>(w, "BooksList");

    testutil::search(w, QStringLiteral("alpha"));
    const int all = countWhere([](const Row &r) { return QByteArray(r.text).contains("alpha"); });
    QCOMPARE(c.Label12->caption(), QString::number(all));
    QCOMPARE(caption->text(), QStringLiteral(u"گەڕان بۆ «alpha»"));
    QStringList counted;
    for (int i = 0; i < books->topLevelItemCount(); ++i)
        counted << books->topLevelItem(i)->text(0) + QLatin1Char('=')
                + books->topLevelItem(i)->text(1);
    const auto inBook = [](const char *book) {
        return QString::number(countWhere([book](const Row &r) {
            return QByteArray(r.text).contains("alpha")
                && (book ? r.book && QByteArray(r.book) == book : !r.book);
        }));
    };
    QCOMPARE(
        counted,
        QStringList({QStringLiteral(u"هەموو کتێبەکان=") + QString::number(all),
                     QStringLiteral("Book A=") + inBook("Book A"),
                     QStringLiteral("Book B=") + inBook("Book B"),
                     QStringLiteral("=") + inBook(nullptr), QStringLiteral("=") + inBook("")}));
    QVERIFY(books->isVisible());

    // Book B from the keyboard: two rows down, Enter
    books->setFocus();
    QTest::keyClick(books, Qt::Key_Down);
    QTest::keyClick(books, Qt::Key_Down);
    QTest::keyClick(books, Qt::Key_Return);
    QCOMPARE(testutil::listedTexts(w),
             QStringList({QStringLiteral("alpha two"), QStringLiteral("alpha four")}));
    QCOMPARE(c.Label12->caption(), QStringLiteral("2"));
    QCOMPARE(caption->text(), QStringLiteral(u"«alpha» لە «Book B»دا"));
    // the book without a name is not the book with the empty name
    books->setCurrentItem(books->topLevelItem(3));
    QTest::keyClick(books, Qt::Key_Return);
    QCOMPARE(testutil::listedTexts(w), QStringList({QStringLiteral("alpha five")}));
    books->setCurrentItem(books->topLevelItem(0));
    QTest::keyClick(books, Qt::Key_Return);
    QCOMPARE(c.Label12->caption(), QString::number(all));

    // the whole of Book A from "alpha three": the count is the book's, and the caption says so
    QVERIFY(c.Adodc1->moveTo(3));
    QCOMPARE(c.Label1->caption(), QStringLiteral("2"));
    w.readBookFromHere();
    QCOMPARE(c.Label12->caption(), QString::number(countWhere([](const Row &r) {
                 return r.book && QByteArray(r.book) == "Book A";
             })));
    QCOMPARE(caption->text(), QStringLiteral(u"خوێندنەوەی «Book A» لە ژمارە 2ەوە"));
    QCOMPARE(books->topLevelItem(1)->text(1), inBook("Book A")); // still the search's counts
}

// The list's menu names the book and the chapter of the hadith under the pointer, and its
// chapter item keeps the search to that chapter of that book.
void TestSearchWindow::menuNamesWhatItNarrowsTo()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("alpha"));
    QVERIFY(c.Adodc1->moveTo(2)); // "alpha one": Book A, faith
    QStringList seen;
    answerMenu(QStringLiteral("OnlyThisChapter"), 0, &seen);
    emit c.DataGrid1->customContextMenuRequested(QPoint(-1, -1));
    QVERIFY(seen.contains(QStringLiteral(u"تەنیا فەرموودەکانی «Book A»")));
    QVERIFY(seen.contains(QStringLiteral(u"تەنیا بەشی «faith»")));
    QCOMPARE(testutil::listedTexts(w),
             QStringList({QStringLiteral("alpha one"), QStringLiteral("alpha three")}));
    QCOMPARE(testutil::control<QLabel>(w, "ListCaption")->text(),
             QStringLiteral(u"«alpha» لە «faith»دا"));
}

// Words typed in another order than the text's find nothing as a text; the window says how
// many the words in any order find, and Enter on that runs it, with the option then on.
void TestSearchWindow::wordsInAnyOrderOffered()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    auto *offer = testutil::control<QPushButton>(w, "AnyOrderOffer");
    testutil::search(w, QStringLiteral("alpha beta")); // the text has "beta alpha"
    QCOMPARE(c.Label12->caption(), QStringLiteral("0"));
    QVERIFY(offer->isVisible());
    QCOMPARE(offer->text(), QStringLiteral(u"هیچ نەدۆزرایەوە؛ وشەکان بە هەر ڕیزێک: 1 فەرموودە"));
    offer->setFocus();
    QTest::keyClick(offer, Qt::Key_Return);
    QCOMPARE(testutil::listedTexts(w), QStringList({QStringLiteral("beta alpha")}));
    QVERIFY(testutil::control<QAction>(w, "AnyOrder")->isChecked());
    QVERIFY(c.Text2->findChild<QLabel *>(QStringLiteral("AnyOrderShown"))->isVisibleTo(c.Text2));
    QVERIFY(!offer->isVisible());
    // one word that finds nothing is offered nothing
    testutil::control<QAction>(w, "AnyOrder")->setChecked(false);
    testutil::search(w, QStringLiteral("gamma"));
    QVERIFY(!offer->isVisible());
}

// Alt+Down lists the earlier searches, newest first, each once; choosing one runs it under
// the options it ran with. Up and Down keep stepping through the matches.
void TestSearchWindow::earlierSearches()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    QAction *exact = testutil::control<QAction>(w, "ExactMatch");
    testutil::search(w, QStringLiteral("alpha"));
    exact->setChecked(true); // runs "alpha" again, exactly
    testutil::search(w, QStringLiteral("beta"));
    exact->setChecked(false);
    testutil::search(w, QStringLiteral("alpha")); // the same search once more: it moves first
    QVERIFY(c.Adodc1->moveTo(1));
    QTest::keyClick(c.Text2, Qt::Key_Down);
    QCOMPARE(c.Adodc1->absolutePosition(), 2);

    QStringList seen;
    answerMenu(QString(), 3, &seen); // the fourth: "alpha", exactly
    c.Text2->setFocus();
    QTest::keyClick(c.Text2, Qt::Key_Down, Qt::AltModifier);
    // "·" and the exact option's tag follow a search that ran exactly
    const auto exactly = [](const QString &item) { return item.contains(QChar(0xB7)); };
    QCOMPARE(seen.size(), 4);
    QVERIFY(seen[0].startsWith(QStringLiteral("alpha")) && !exactly(seen[0]));
    QVERIFY(seen[1].startsWith(QStringLiteral("beta")) && !exactly(seen[1]));
    QVERIFY(seen[2].startsWith(QStringLiteral("beta")) && exactly(seen[2]));
    QVERIFY(seen[3].startsWith(QStringLiteral("alpha")) && exactly(seen[3]));
    QCOMPARE(c.Text2->text(), QStringLiteral("alpha"));
    QVERIFY(exact->isChecked());
    QCOMPARE(c.Label12->caption(), QStringLiteral("7"));
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
