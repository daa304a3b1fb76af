// Finding one's way through the window: the contents, a hadith by its number, back and
// forward through the places jumped to, carrying on where the reader stopped, another
// collection opened from inside, and the pane's look for reading.

#include "base/texts.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "mainwindow/contentsview.h"
#include "mainwindow/gotonumber.h"
#include "mainwindow/readermenus.h"
#include "mainwindow/readinglook.h"
#include "mainwindow/tembra1.h"
#include "testwindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

using namespace tembra;

namespace {

// The fixture's rows: text, number, chapter (Tab3), book (Tab5). Book B's "faith" comes back
// after Book M; Book B holds 3208 twice; Book M holds 1238, which holds the digits of 123.
using testutil::Row;
const Row kRows[] = {
    {"alpha first", "1", "faith", "صحيح البخاري"},
    {"alpha second", "2", "faith", "صحيح البخاري"},
    {"beta third", "3208", "prayer", "صحيح البخاري"},
    {"alpha fourth", "3208", "prayer", "صحيح البخاري"},
    {"gamma fifth", "12", "knowledge", "صحيح البخاري"},
    {"alpha muslim", "3208", "faith", "صحيح مسلم"},
    {"beta muslim", "7", "prayer", "صحيح مسلم"},
    {"alpha late", "99", "faith", "صحيح البخاري"},
    {"delta muslim", "1238", "faith", "صحيح مسلم"},
};
const QString kBukhari = QStringLiteral(u"صحيح البخاري");
const QString kMuslim = QStringLiteral(u"صحيح مسلم");

// The texts of the rows that meet holds, in the table's order: what a list of them holds.
QStringList textsWhere(const std::function<bool(const Row &)> &holds)
{
    QStringList found;
    for (const Row &row : kRows) {
        if (holds(row))
            found << QString::fromUtf8(row.text);
    }
    return found;
}

QString current(const Tembra1 &w)
{
    return testutil::Controls(w).Label4->text();
}

void press(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, Qt::Key(key), modifiers);
}

} // namespace

class TestFindWay : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void contentsListAChapterOrABook();
    void numberInAnyDigits_data();
    void numberInAnyDigits();
    void backAndForward();
    void carryOnWhereTheReaderStopped_data();
    void carryOnWhereTheReaderStopped();
    void anotherCollectionFromInside();
    void readingComfort();

private:
    void open(Tembra1 &w, const QString &settings = QStringLiteral("settings.ini"),
              const QString &path = QString());

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_boxes;
};

void TestFindWay::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    const QString why = testutil::writeRows(m_path, kRows, "above");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    msgbox::setHook([this](const QString &prompt, const QString &) { m_boxes << prompt; });
}

void TestFindWay::init()
{
    m_boxes.clear();
    QFile::remove(m_dir.filePath(QStringLiteral("settings.ini")));
}

void TestFindWay::cleanupTestCase()
{
    msgbox::setHook({});
}

void TestFindWay::open(Tembra1 &w, const QString &settings, const QString &path)
{
    w.setSettingsStore(ReaderSettings(m_dir.filePath(settings)));
    testutil::loadCollection(path.isEmpty() ? m_path : path, testutil::Controls(w).Adodc1);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// Ctrl+T shows every book with its count and, under each, its chapters in stored order with
// theirs; the current hadith's book and chapter are marked. A chapter chosen lists exactly
// it, from its first hadith, and Down reads on; a book found by typing its first letters on
// a Sorani keyboard lists the whole book.
void TestFindWay::contentsListAChapterOrABook()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("gamma")); // Book B, knowledge
    c.Text2->setFocus();
    press(c.Text2, Qt::Key_T, Qt::ControlModifier);
    auto *view = w.findChild<ContentsView *>();
    QVERIFY(view && view->isVisible());
    QTreeWidget *tree = view->tree();
    const auto count = [](const std::function<bool(const Row &)> &holds) {
        return QString::number(textsWhere(holds).size());
    };
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), kBukhari);
    QCOMPARE(tree->topLevelItem(0)->text(1),
             count([](const Row &r) { return QString::fromUtf8(r.book) == kBukhari; }));
    QTreeWidgetItem *bukhari = tree->topLevelItem(0);
    QStringList chapters;
    for (int i = 0; i < bukhari->childCount(); ++i)
        chapters << bukhari->child(i)->text(0) + QLatin1Char('=') + bukhari->child(i)->text(1);
    QCOMPARE(chapters,
             QStringList({QStringLiteral("faith=3"), QStringLiteral("prayer=2"),
                          QStringLiteral("knowledge=1")}));
    QCOMPARE(tree->currentItem(), bukhari->child(2));
    QVERIFY(bukhari->font(0).bold() && bukhari->child(2)->font(0).bold());
    QVERIFY(!bukhari->child(0)->font(0).bold() && !tree->topLevelItem(1)->font(0).bold());

    tree->setCurrentItem(bukhari->child(0));
    press(tree, Qt::Key_Return);
    QVERIFY(!view->isVisible());
    const QStringList faith = textsWhere([](const Row &r) {
        return QString::fromUtf8(r.book) == kBukhari && QByteArray(r.chapter) == "faith";
    });
    QCOMPARE(testutil::listedTexts(w), faith);
    QCOMPARE(current(w), faith.first());
    QVERIFY(c.Text2->hasFocus());
    press(c.Text2, Qt::Key_Down);
    QCOMPARE(current(w), faith.at(1));

    w.openContents();
    QCOMPARE(tree->currentItem(), bukhari->child(0)); // where the reader is now
    tree->keyboardSearch(QStringLiteral(u"صحیح م")); // Farsi yeh, as a Sorani keyboard types
    QCOMPARE(tree->currentItem(), tree->topLevelItem(1));
    press(tree, Qt::Key_Return);
    const QStringList muslim
        = textsWhere([](const Row &r) { return QString::fromUtf8(r.book) == kMuslim; });
    QCOMPARE(testutil::listedTexts(w), muslim);
    QCOMPARE(current(w), muslim.first());
    QCOMPARE(c.Label12->caption(), QString::number(muslim.size()));
}

// The number in any digits finds the first hadith of that number in the book chosen, its
// whole book listed; a number the book does not hold is said so and changes nothing, also
// when another number holds its digits.
void TestFindWay::numberInAnyDigits_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("found"); // empty: not in that book
    QTest::newRow("Latin digits, the first of two") << kBukhari << "3208"
                                                    << "beta third";
    QTest::newRow("Arabic-Indic digits") << kBukhari << QStringLiteral(u"٣٢٠٨") << "beta third";
    QTest::newRow("Eastern Arabic-Indic digits")
        << kBukhari << QStringLiteral(u"۳۲۰۸") << "beta third";
    QTest::newRow("the same number in the other book") << kMuslim << "3208"
                                                       << "alpha muslim";
    QTest::newRow("spaces and a leading zero") << kBukhari << " 012 "
                                               << "gamma fifth";
    QTest::newRow("digits inside another number") << kMuslim << QStringLiteral(u"١٢٣") << "";
    QTest::newRow("a number of the other book") << kBukhari << "7"
                                                << "";
}

void TestFindWay::numberInAnyDigits()
{
    QFETCH(QString, book);
    QFETCH(QString, number);
    QFETCH(QString, found);
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("muslim")); // the current hadith is in Book M
    const QStringList before = testutil::listedTexts(w);
    const QString was = current(w);
    c.Text2->setFocus();
    press(c.Text2, Qt::Key_G, Qt::ControlModifier);
    auto *dialog = w.findChild<GoToNumber *>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->books()->currentText(), kMuslim); // the current one first
    QTRY_VERIFY(dialog->number()->hasFocus());
    dialog->books()->setCurrentIndex(dialog->books()->findText(book));
    dialog->number()->setText(number);
    press(dialog->number(), Qt::Key_Return);
    if (found.isEmpty()) {
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->notice()->isVisible());
        QCOMPARE(dialog->notice()->text(), texts::numberNotInBook());
        QCOMPARE(testutil::listedTexts(w), before);
        QCOMPARE(current(w), was);
        return;
    }
    QVERIFY(!dialog->isVisible());
    QCOMPARE(current(w), found);
    QCOMPARE(testutil::listedTexts(w),
             textsWhere([&](const Row &r) { return QString::fromUtf8(r.book) == book; }));
    QCOMPARE(c.Label3->caption(), book);
}

// Back and forward go through a search, a narrowing and a number, each with its list and
// the hadith the reader left it at, a search with its text and options in the box; going
// back and forward is no new place, and a new jump drops the places ahead.
void TestFindWay::backAndForward()
{
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    QAction *back = testutil::control<QAction>(w, "Back");
    QAction *forward = testutil::control<QAction>(w, "Forward");
    QAction *exact = testutil::control<QAction>(w, "ExactMatch");
    const QStringList alpha
        = textsWhere([](const Row &r) { return QByteArray(r.text).contains("alpha"); });

    exact->setChecked(true);
    testutil::search(w, QStringLiteral("alpha")); // a search, exactly
    c.Text2->setFocus();
    press(c.Text2, Qt::Key_Down); // the place's hadith is now the second
    w.onlyThisBook(); // a narrowing, to Book B
    const QStringList inB = testutil::listedTexts(w);
    press(c.Text2, Qt::Key_Down);
    const QString leftB = current(w);
    exact->setChecked(false); // runs the search again, in every book, not exactly
    w.askNumber();
    auto *dialog = w.findChild<GoToNumber *>();
    dialog->books()->setCurrentIndex(0);
    dialog->number()->setText(QStringLiteral("12"));
    dialog->accept(); // a number
    QCOMPARE(current(w), QStringLiteral("gamma fifth"));
    c.Text2->setText(QStringLiteral("typed, not searched"));

    press(c.Text2, Qt::Key_Left, Qt::AltModifier); // the search again, not exactly
    QCOMPARE(testutil::listedTexts(w), alpha);
    QVERIFY(!exact->isChecked());
    QCOMPARE(c.Text2->text(), QStringLiteral("alpha"));
    press(c.Text2, Qt::Key_Left, Qt::AltModifier); // the narrowing
    QCOMPARE(testutil::listedTexts(w), inB);
    QCOMPARE(current(w), leftB);
    QVERIFY(exact->isChecked());
    // the mouse's back button, over any control
    QMouseEvent backButton(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                           c.Text1->viewport()->mapToGlobal(QPointF(5, 5)), Qt::BackButton,
                           Qt::BackButton, Qt::NoModifier);
    QApplication::sendEvent(c.Text1->viewport(), &backButton);
    QCOMPARE(testutil::listedTexts(w), alpha); // the first search
    QCOMPARE(current(w), alpha.at(1));
    QCOMPARE(c.Label12->caption(), QString::number(alpha.size()));

    press(c.Text2, Qt::Key_Right, Qt::AltModifier);
    press(c.Text2, Qt::Key_Right, Qt::AltModifier);
    press(c.Text2, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(current(w), QStringLiteral("gamma fifth")); // the number, last
    QVERIFY(!forward->isEnabled());
    QVERIFY(back->isEnabled());

    press(c.Text2, Qt::Key_Left, Qt::AltModifier);
    testutil::search(w, QStringLiteral("beta")); // from the middle: the number goes
    QVERIFY(!forward->isEnabled());
    press(c.Text2, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(testutil::listedTexts(w), alpha);
    QVERIFY(!exact->isChecked());
}

// The close button keeps where the reader is; the next start is the design's, with that
// place one step back and offered in view. The place names its hadith by its text too: a
// collection where another text stands under the same book and number opens its list, not
// that hadith.
void TestFindWay::carryOnWhereTheReaderStopped_data()
{
    QTest::addColumn<bool>("changed");
    QTest::newRow("the same collection") << false;
    QTest::newRow("another text under that number") << true;
}

void TestFindWay::carryOnWhereTheReaderStopped()
{
    QFETCH(bool, changed);
    {
        Tembra1 w;
        open(w);
        testutil::search(w, QStringLiteral("beta"));
        const testutil::Controls c(w);
        press(c.Text2, Qt::Key_Down); // "beta muslim"
        w.readBookFromHere();
        press(c.Text2, Qt::Key_Down); // "delta muslim"
        QCOMPARE(current(w), QStringLiteral("delta muslim"));
        w.La1_Click();
    }
    QString path = m_path;
    if (changed) {
        path = m_dir.filePath(QStringLiteral("changed.mdb"));
        std::vector<Record> records;
        for (const Row &row : kRows)
            records.push_back(testutil::utf8Record(
                QByteArray(row.text) == "delta muslim" ? "delta changed" : row.text, row.number,
                row.chapter, "above", row.book));
        QCOMPARE(testutil::writeCollection(path, records), QString());
    }
    Tembra1 w;
    open(w, QStringLiteral("settings.ini"), path);
    const testutil::Controls c(w);
    QVERIFY(c.DataGrid1->isHidden()); // the design's start
    QCOMPARE(c.Label1->caption(), QStringLiteral("1"));
    QCOMPARE(c.Text2->text(), QStringLiteral("beta"));
    auto *offer = testutil::control<QPushButton>(w, "CarryOnOffer");
    QVERIFY(offer->isVisible());
    QVERIFY(offer->text().startsWith(texts::carryOn()));
    offer->setFocus();
    press(offer, Qt::Key_Return);
    QVERIFY(!offer->isVisible());
    QCOMPARE(testutil::listedTexts(w),
             textsWhere([](const Row &r) { return QString::fromUtf8(r.book) == kMuslim; })
                 .replaceInStrings(QStringLiteral("delta muslim"),
                                   changed ? QStringLiteral("delta changed")
                                           : QStringLiteral("delta muslim")));
    QCOMPARE(current(w), changed ? QStringLiteral("alpha muslim") : QStringLiteral("delta muslim"));
}

// A second collection that cannot be read is said so and leaves the first in view; one that
// can (dropped on the window) replaces it, its whole list shown. A window whose collection could not be opened at
// the start offers to open another right there.
void TestFindWay::anotherCollectionFromInside()
{
    const QString bad = m_dir.filePath(QStringLiteral("bad.mdb"));
    {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("not a collection\n").repeated(500));
    }
    Tembra1 w;
    open(w);
    const testutil::Controls c(w);
    testutil::search(w, QStringLiteral("alpha"));
    const QStringList before = testutil::listedTexts(w);
    const QString was = current(w);
    QSignalSpy shown(c.Adodc1, &DataControl::tableChanged);
    w.openCollection(bad);
    QTRY_COMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].startsWith(texts::cannotOpen()));
    QVERIFY(m_boxes[0].contains(texts::reasonNotJet()));
    QVERIFY(m_boxes[0].contains(bad));
    QCOMPARE(shown.size(), 0);
    QCOMPARE(testutil::listedTexts(w), before);
    QCOMPARE(current(w), was);
    testutil::search(w, QStringLiteral("beta")); // still searching the first
    QCOMPARE(c.Label12->caption(), QStringLiteral("2"));

    const QString second = m_dir.filePath(QStringLiteral("second.mdb"));
    QCOMPARE(testutil::writeCollection(second,
                                       {testutil::utf8Record("omega", "1", "c", "", "B"),
                                        testutil::utf8Record("psi", "2", "c", "", "B")}),
             QString());
    w.openContents(); // in view while the other comes: it shows the other's books then
    // dropped on the search box, which would take a dropped text
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c.Text2, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c.Text2, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(shown.size(), 1);
    QCOMPARE(c.Text2->text(), QStringLiteral("beta"));
    QCOMPARE(testutil::listedTexts(w),
             QStringList({QStringLiteral("omega"), QStringLiteral("psi")}));
    QCOMPARE(c.Label12->caption(), QStringLiteral("2"));
    QCOMPARE(w.collectionPath(), second);
    QTreeWidget *tree = w.findChild<ContentsView *>()->tree();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0) + QLatin1Char('=') + tree->topLevelItem(0)->text(1),
             QStringLiteral("B=2"));
    QVERIFY(!testutil::control<QAction>(w, "Back")->isEnabled()); // the last one's places go

    Tembra1 failed;
    open(failed, QStringLiteral("settings.ini"), bad);
    auto *offer = testutil::control<QPushButton>(failed, "OpenOffer");
    QVERIFY(offer->isVisible());
    QVERIFY(offer->text().startsWith(texts::openCollection()));
    failed.openCollection(second);
    QTRY_VERIFY(failed.collectionOpen());
    QVERIFY(!offer->isVisible());
    QCOMPARE(testutil::Controls(failed).Label4->text(), QStringLiteral("omega"));
}

// The pane's look is kept as it changes: the night appearance darkens the pane and the list;
// with the marks hidden the pane shows none, the search's term is still selected, and a copy
// keeps them; the font is one with Arabic letters. The selected match stays in view when the
// text grows larger.
void TestFindWay::readingComfort()
{
    const QString db = m_dir.filePath(QStringLiteral("marks.mdb"));
    QString lines;
    for (int i = 0; i < 60; ++i)
        lines += QStringLiteral(u"سَطْرٌ طَوِيلٌ مِنَ الْكَلامِ\r\n");
    QCOMPARE(testutil::writeCollection(
                 db,
                 {testutil::record(lines + QStringLiteral(u"قَالَ رَسُولُ اللَّهِ"), QStringLiteral("1"),
                                   QStringLiteral("c"), QString(), QStringLiteral("B"))}),
             QString());
    Tembra1 w;
    open(w, QStringLiteral("settings.ini"), db);
    const testutil::Controls c(w);
    const QColor day = c.Text1->palette().color(QPalette::Base);
    testutil::control<QAction>(w, "NightAppearance")->trigger();
    QVERIFY(c.Text1->palette().color(QPalette::Base).lightness() < 80);
    QVERIFY(c.DataGrid1->palette().color(QPalette::Base).lightness() < 80);
    QVERIFY(c.Text1->palette().color(QPalette::Text).lightness() > 180);
    testutil::control<QAction>(w, "ShowMarks")->trigger();
    testutil::search(w, QStringLiteral("رسول"));
    QVERIFY(!c.Text1->toPlainText().contains(QChar(0x064E))); // no fatha shown
    QCOMPARE(c.Text1->textCursor().selectedText(), QStringLiteral(u"رسول"));
    c.Text1->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(u"رَسُولُ"));
    QCOMPARE(c.Text1->text(), c.Label5->caption() + QStringLiteral("\r\n") + c.Label4->text());
    // in view at the bottom of a long text, also after the letters grow
    const auto inView
        = [&c] { return c.Text1->viewport()->rect().contains(c.Text1->cursorRect().center()); };
    QVERIFY(inView());
    for (int i = 0; i < 6; ++i)
        press(c.Text2, Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY(inView());
    w.La2_Click(); // enlarged
    QVERIFY(inView());
    w.La2_Click(); // and back
    QVERIFY(inView());

    // a font with Arabic letters other than the one shown, chosen from the pane's menu
    QStringList families = ReadingLook::arabicFamilies();
    QVERIFY(families.contains(QStringLiteral("Amiri")));
    QCOMPARE(QFontInfo(c.Text1->font()).family(), QStringLiteral("Amiri"));
    families.removeAll(QStringLiteral("Amiri"));
    if (!families.isEmpty())
        emit w.findChild<ReaderMenus *>()->familyChosen(families.first());

    ReaderSettings kept(m_dir.filePath(QStringLiteral("settings.ini")));
    QVERIFY(kept.load());
    QCOMPARE(kept.value(Setting::NightAppearance).toBool(), true);
    QCOMPARE(kept.value(Setting::ShowMarks).toBool(), false);
    QCOMPARE(kept.value(Setting::PaneFont).toString(), families.value(0));
    Tembra1 again;
    open(again, QStringLiteral("settings.ini"), db);
    QCOMPARE(testutil::Controls(again).Text1->palette().color(QPalette::Base),
             c.Text1->palette().color(QPalette::Base));
    QVERIFY(day != c.Text1->palette().color(QPalette::Base));
    QVERIFY(!testutil::Controls(again).Text1->marksShown());
    if (!families.isEmpty())
        QCOMPARE(QFontInfo(testutil::Controls(again).Text1->font()).family(), families.first());
}

QTEST_MAIN(TestFindWay)
#include "tst_findway.moc"
